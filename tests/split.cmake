# SPDX-License-Identifier: GPL-3.0-or-later
# Run after a long test is built: asks the test executable for its test
# functions and their rows, and writes one CTest test for each, so that the
# parts of a long test run side by side, each on services of its own.
#
#   cmake -D EXECUTABLE=... -D NAME=... -D OUTPUT=... -D LABELS=... -D TIMEOUT=... -D COST=... -D PROCESSORS=...
#         -D ENVIRONMENT=a=1|b=2 -P split.cmake

execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${EXECUTABLE} -datatags
                OUTPUT_VARIABLE functions RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${EXECUTABLE} -datatags failed: ${failed}")
endif()
string(REPLACE "|" ";" environment "${ENVIRONMENT}")
# "class function [row]", a line each.
string(REPLACE "\n" ";" lines "${functions}")
set(script "")
foreach(line ${lines})
  if(NOT line MATCHES "^[^ ]+ ([^ ]+)( (.*))?$")
    continue()
  endif()
  set(function "${CMAKE_MATCH_1}")
  set(row "${CMAKE_MATCH_3}")
  if(row STREQUAL "")
    set(test "${NAME}.${function}")
    set(argument "${function}")
  else()
    set(test "${NAME}.${function}: ${row}")
    set(argument "${function}:${row}")
  endif()
  string(APPEND script "add_test([=[${test}]=] [=[${EXECUTABLE}]=] [=[${argument}]=])\n"
                       "set_tests_properties([=[${test}]=] PROPERTIES LABELS [=[${LABELS}]=] "
                       "TIMEOUT ${TIMEOUT} COST ${COST} PROCESSORS ${PROCESSORS} ENVIRONMENT [=[${environment}]=])\n")
endforeach()
file(WRITE ${OUTPUT} "${script}")
