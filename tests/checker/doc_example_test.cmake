# The example session of docs/tastiro-check.md, held against the checker:
# the first transcript behind the marker comment, run from the top of the
# source tree with the checker's path as the doc writes it.
#   cmake -DTOOL=<tastiro-check> -DSOURCE=<source tree> -P doc_example_test.cmake
# The transcript is English.
set(ENV{LC_ALL} C)
file(READ ${SOURCE}/docs/tastiro-check.md doc)
string(FIND "${doc}" "<!-- The transcript below" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no transcript marker in docs/tastiro-check.md")
endif()
string(SUBSTRING "${doc}" ${at} -1 doc)
# "$ COMMAND\n" OUTPUT "$ echo $?\n" STATUS
string(REGEX MATCH "\n\\$ ([^\n]*)\n(.*)\\$ echo \\$\\?\n([0-9]+)\n" match "${doc}")
if(NOT match)
  message(FATAL_ERROR "no transcript with its exit status behind the marker")
endif()
set(command "${CMAKE_MATCH_1}")
set(expected "${CMAKE_MATCH_2}")
set(expected_status "${CMAKE_MATCH_3}")
separate_arguments(arguments UNIX_COMMAND "${command}")
list(POP_FRONT arguments program)
if(NOT program STREQUAL "build/native/tools/check/tastiro-check")
  message(FATAL_ERROR "the transcript runs ${program}, not build/native/tools/check/tastiro-check")
endif()
execute_process(COMMAND ${TOOL} ${arguments} WORKING_DIRECTORY ${SOURCE}
                RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL expected_status OR NOT out STREQUAL expected)
  message(FATAL_ERROR "docs/tastiro-check.md: `${command}` gives status ${status}:\n${out}\n"
                      "the doc says status ${expected_status}:\n${expected}")
endif()
