# The release has one version number: the one in project() (VERSION). It
# must also head CHANGELOG.md, be what `kalvorden --version` prints (when
# BINARY is given), be the manual page's (its title line and its --version
# example, when MANPAGE is given) and be in the package's file name (when
# PACKAGE is given):
#
#   cmake -D VERSION=1.0.0 -D CHANGELOG=CHANGELOG.md [-D BINARY=bin/kalvorden]
#         [-D MANPAGE=docs/kalvorden.1] [-D PACKAGE=kalvorden_1.0.0_amd64.deb]
#         -P packaging/check-version.cmake

foreach(variable VERSION CHANGELOG)
  if(NOT DEFINED ${variable} OR "${${variable}}" STREQUAL "")
    message(FATAL_ERROR "usage: cmake -D VERSION=X.Y.Z -D CHANGELOG=... [-D BINARY=...] "
                        "[-D PACKAGE=...] -P ${CMAKE_SCRIPT_MODE_FILE}")
  endif()
endforeach()

# The latest entry is the first "## [X.Y.Z] - YYYY-MM-DD" heading; the
# "## [Unreleased]" heading above it is not a release.
file(STRINGS "${CHANGELOG}" headings REGEX "^## \\[")
set(latest "")
foreach(heading IN LISTS headings)
  if(heading MATCHES "^## \\[([0-9]+\\.[0-9]+\\.[0-9]+)\\] - [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
    set(latest "${CMAKE_MATCH_1}")
    break()
  endif()
endforeach()
if(NOT latest STREQUAL VERSION)
  message(FATAL_ERROR "CHANGELOG.md's latest entry is '${latest}', the project's version is ${VERSION}")
endif()

if(DEFINED BINARY)
  execute_process(COMMAND "${BINARY}" --version OUTPUT_VARIABLE printed ERROR_VARIABLE errors
                  RESULT_VARIABLE status INPUT_FILE /dev/null TIMEOUT 10)
  if(NOT status EQUAL 0 OR NOT printed STREQUAL "kalvorden ${VERSION}\n")
    message(FATAL_ERROR "${BINARY} --version printed '${printed}' (status ${status}, "
                        "standard error '${errors}'); expected 'kalvorden ${VERSION}'")
  endif()
endif()

if(DEFINED MANPAGE)
  file(STRINGS "${MANPAGE}" versions REGEX "kalvorden [0-9]+\\.[0-9]+\\.[0-9]+")
  list(LENGTH versions count)
  if(count LESS 2)
    message(FATAL_ERROR "${MANPAGE} should name the version in its title line and its "
                        "--version example; found: ${versions}")
  endif()
  foreach(line IN LISTS versions)
    string(REGEX MATCHALL "kalvorden [0-9]+\\.[0-9]+\\.[0-9]+" named "${line}")
    foreach(version IN LISTS named)
      if(NOT version STREQUAL "kalvorden ${VERSION}")
        message(FATAL_ERROR "${MANPAGE} names '${version}'; the project's version is ${VERSION}")
      endif()
    endforeach()
  endforeach()
endif()

if(DEFINED PACKAGE)
  get_filename_component(name "${PACKAGE}" NAME)
  if(NOT name MATCHES "^kalvorden_${VERSION}_[a-z0-9]+\\.deb$")
    message(FATAL_ERROR "the package file ${name} does not carry version ${VERSION}")
  endif()
endif()

message(STATUS "version ${VERSION} agrees")
