# The method manual quotes report rows (its worked span); each must be the
# row the program prints, as recorded in the golden report of the worked
# example. A change of the design that changes that row makes the manual's
# worked span wrong, and this check says so.
#
#   cmake -D MANUAL=docs/method.md -D REPORT=tests/golden/worked-example.rpt
#         -P packaging/check-manual-rows.cmake

file(STRINGS "${MANUAL}" rows REGEX "^  [0-9]\\.[0-9][0-9][0-9]    ")
if(rows STREQUAL "")
  message(FATAL_ERROR "${MANUAL} quotes no report row")
endif()
file(READ "${REPORT}" report)
foreach(row IN LISTS rows)
  # In the report a row stands after a line feed and 11 blanks, and ends
  # with a blank.
  string(FIND "${report}" "\n           ${row} " at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${MANUAL} quotes a row that ${REPORT} does not hold:\n${row}")
  endif()
endforeach()
list(LENGTH rows count)
message(STATUS "the ${count} rows quoted in ${MANUAL} are the report's")
