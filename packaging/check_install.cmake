# Installs the build into a staging prefix and checks what a user needs is there and fits
# together. Run by CTest:
#   cmake -DBUILD= -DSTAGE= -DFILES=a|b [-DFORBIDDEN=name]
#         [-DBINDIR= -DDATADIR= -DMAN1= -DRULE=] -P this
# BINDIR and the rest are the Linux install's; FORBIDDEN is a file name that must not be
# installed anywhere (the driver library of the Windows package).
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

if(FORBIDDEN)
  file(GLOB_RECURSE shipped "${STAGE}/*")
  foreach(file IN LISTS shipped)
    get_filename_component(name "${file}" NAME)
    if(name STREQUAL FORBIDDEN)
      message(FATAL_ERROR "must not be installed: ${file}")
    endif()
  endforeach()
endif()
if(NOT BINDIR)
  message(STATUS "installed and checked: ${files}")
  return()
endif()

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
  file(STRINGS "${desktop}" exec REGEX "^Exec=")
  if(NOT exec MATCHES " %f$")
    message(FATAL_ERROR "the desktop entry does not pass the opened file (%f): ${exec}")
  endif()
  file(GLOB icons "${STAGE}/${DATADIR}/icons/hicolor/*/apps/${icon}.*")
  if(NOT icons)
    message(FATAL_ERROR "the desktop entry's icon '${icon}' is not installed")
  endif()
endif()
# The man pages are gzipped and point only at installed programs.
file(GLOB pages "${STAGE}/${MAN1}/*")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -dc "${page}" RESULT_VARIABLE result OUTPUT_VARIABLE text)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "not a gzipped man page: ${page}")
  endif()
  string(REGEX REPLACE ".*\\.SH SEE ALSO" "" seeAlso "${text}")
  string(REGEX MATCHALL "\\.BR [a-z0-9-]+" named "${seeAlso}")
  foreach(entry IN LISTS named)
    string(REPLACE ".BR " "" program "${entry}")
    if(NOT EXISTS "${STAGE}/${BINDIR}/${program}")
      message(FATAL_ERROR "${page} refers to '${program}', which is not installed")
    endif()
  endforeach()
endforeach()

message(STATUS "installed and checked: ${files}")
