# The method manual quotes report rows (its worked span); each must be the
# row the program prints, as recorded in the golden report of the worked
# example. A change of the design that changes that row makes the manual's
# worked span wrong, and this check says so.
#
# With BINARY, the program's own calculation sheet of each quoted span
# (`kalvorden explain` with the worked example's values) must end its result
# with that row too, before the span's quantities.
#
#   cmake -D MANUAL=docs/method.md -D REPORT=tests/golden/worked-example.rpt
#         [-D BINARY=build/default/app/kalvorden] -P packaging/check-manual-rows.cmake

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
  if(DEFINED BINARY)
    string(SUBSTRING "${row}" 2 5 span)
    execute_process(COMMAND "${BINARY}" explain --wheel-load 72.5 --top-cover 50 --paving 1.5
                            --fs 165 --fc 10 --span ${span}
                    OUTPUT_VARIABLE sheet RESULT_VARIABLE status INPUT_FILE /dev/null TIMEOUT 30)
    # Its result ends with the row; the span's quantities follow.
    string(FIND "${sheet}" "\n${row} \n\n6. QUANTITIES PER SQUARE METRE OF DECK\n" at)
    if(NOT status EQUAL 0 OR at EQUAL -1)
      message(FATAL_ERROR "kalvorden explain --span ${span} (status ${status}) does not end "
                          "its result with the row ${MANUAL} quotes:\n${row}")
    endif()
  endif()
endforeach()
list(LENGTH rows count)
message(STATUS "the ${count} rows quoted in ${MANUAL} are the report's")
