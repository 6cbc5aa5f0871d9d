# Fails when PROGRAM needs cairo or anything it brings
# (fontconfig, freetype, pixman, png, X11/xcb), or when it lacks the C++
# runtime, which would mean the list below was not read at all.
execute_process(COMMAND objdump -p "${PROGRAM}" OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "objdump -p ${PROGRAM} failed: ${status}")
endif()
string(REGEX MATCHALL "NEEDED +[^\n]+" needed "${headers}")
message(STATUS "${PROGRAM}: ${needed}")
if(NOT needed MATCHES "libstdc\\+\\+")
  message(FATAL_ERROR "no NEEDED entry for libstdc++ found in the headers of ${PROGRAM}")
endif()
foreach(library cairo fontconfig freetype pixman png X11 xcb)
  if(needed MATCHES "${library}")
    message(FATAL_ERROR "${PROGRAM} needs ${library}: ${needed}")
  endif()
endforeach()
