# Installs a build tree into an empty directory and checks that it holds
# exactly the files KALVORDEN installs, no more and no fewer:
#
#   cmake -D BUILD_DIR=build/release -D STAGE=stage -D SOURCE_DIR=. \
#         -P packaging/check-install-tree.cmake
#
# A file installed under a wrong directory, a file missing, or anything else
# that finds its way into the install shows up as a difference.

foreach(variable BUILD_DIR STAGE SOURCE_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "usage: cmake -D BUILD_DIR=... -D STAGE=... -D SOURCE_DIR=... -P ${CMAKE_SCRIPT_MODE_FILE}")
  endif()
  get_filename_component(${variable} "${${variable}}" ABSOLUTE)
endforeach()

file(REMOVE_RECURSE "${STAGE}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${STAGE}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} failed: ${status}")
endif()

set(expected
    bin/kalvorden
    libexec/kalvorden/kalvorden-full
    share/man/man1/kalvorden.1
    share/doc/kalvorden/CHANGELOG.md
    share/doc/kalvorden/README.md
    share/doc/kalvorden/copyright
    share/doc/kalvorden/method.md)
file(GLOB examples RELATIVE "${SOURCE_DIR}/examples" "${SOURCE_DIR}/examples/*")
if(examples STREQUAL "")
  message(FATAL_ERROR "no examples found in ${SOURCE_DIR}/examples")
endif()
foreach(example IN LISTS examples)
  list(APPEND expected share/doc/kalvorden/examples/${example})
endforeach()

file(GLOB_RECURSE installed RELATIVE "${STAGE}" LIST_DIRECTORIES false "${STAGE}/*")
list(SORT expected)
list(SORT installed)
if(NOT installed STREQUAL expected)
  set(missing ${expected})
  list(REMOVE_ITEM missing ${installed})
  set(extra ${installed})
  list(REMOVE_ITEM extra ${expected})
  message(FATAL_ERROR "the installed tree differs from the expected one\n"
                      "  missing: ${missing}\n  not expected: ${extra}")
endif()

foreach(program bin/kalvorden libexec/kalvorden/kalvorden-full)
  execute_process(COMMAND test -x "${STAGE}/${program}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${STAGE}/${program} is not executable")
  endif()
endforeach()
list(LENGTH installed count)
message(STATUS "install tree of ${BUILD_DIR}: the ${count} expected files, nothing else")
