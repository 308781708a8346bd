# Tests of the cross-built Windows programs: GoogleTest built from the Debian sources as
# part of the project (there is no MinGW package of it), and every test run under Wine
# through cmake/wine-run.sh in a Wine prefix of the build's own.
set(TORVANE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH
    "GoogleTest sources for the cross-build (Debian package googletest)")
if(NOT EXISTS ${TORVANE_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${TORVANE_GOOGLETEST_SOURCE}: "
                      "install the googletest package, or set TORVANE_GOOGLETEST_SOURCE")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TORVANE_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest_main)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

set(TORVANE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH
    "The Wine prefix the cross-built tests run in")
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh ${TORVANE_WINE_PREFIX})
endif()
# Listing the tests needs Wine too: done when CTest runs, not after every link.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
