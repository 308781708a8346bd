# Installs the build into a staging prefix and checks what a user needs is there and fits
# together. Run by CTest: cmake -DBUILD= -DSTAGE= -DFILES=a|b -DBINDIR= -DDATADIR= -DRULE= -P this
file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${STAGE}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

string(REPLACE "|" ";" files "${FILES}")
foreach(file IN LISTS files)
  if(NOT EXISTS "${STAGE}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# The installed program runs.
execute_process(COMMAND "${STAGE}/${BINDIR}/torvane-cli" --version
                RESULT_VARIABLE result OUTPUT_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output MATCHES "^torvane-cli ")
  message(FATAL_ERROR "the installed torvane-cli does not run: ${result} ${output}")
endif()

# The rule gives the seat's user the FT232R.
file(READ "${STAGE}/${RULE}" text)
foreach(needed "ATTR{idVendor}==\"0403\"" "ATTR{idProduct}==\"6001\"" "TAG+=\"uaccess\"")
  string(FIND "${text}" "${needed}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the udev rule lacks ${needed}")
  endif()
endforeach()

# The desktop entry starts an installed program and names an installed icon.
set(desktop "${STAGE}/${DATADIR}/applications/torvane.desktop")
if(EXISTS "${desktop}")
  file(STRINGS "${desktop}" exec REGEX "^Exec=")
  file(STRINGS "${desktop}" icon REGEX "^Icon=")
  string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" exec "${exec}")
  string(REGEX REPLACE "^Icon=" "" icon "${icon}")
  if(NOT EXISTS "${STAGE}/${BINDIR}/${exec}")
    message(FATAL_ERROR "the desktop entry runs '${exec}', which is not installed")
  endif()
  file(GLOB icons "${STAGE}/${DATADIR}/icons/hicolor/*/apps/${icon}.*")
  if(NOT icons)
    message(FATAL_ERROR "the desktop entry's icon '${icon}' is not installed")
  endif()
endif()
message(STATUS "installed and checked: ${files}")
