# What the command-line tests of the tools share, included by their scripts:
# TOOL (run through RUNNER when given) in a fresh WORK folder, expect_run
# (exit status, then `out` and `err` in the caller), expect_in and
# expect_equal.
# The tools speak the user's language: the tests read English unless they
# ask for Polish (LANG, or --lang).
set(ENV{LC_ALL} C)
set(ENV{LC_MESSAGES} "")
set(ENV{LANG} C)
set(run ${TOOL})
if(RUNNER)
  set(run ${RUNNER} ${TOOL})
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# The exit status of a run; what it said (the further arguments) shown when
# it is not the one expected.
function(expect_status name status expected)
  if(NOT status EQUAL expected)
    string(JOIN "\n" said ${ARGN})
    message(FATAL_ERROR "${name}: exit status ${status}, expected ${expected}\n${said}")
  endif()
endfunction()

function(expect_run name expected_status)
  execute_process(COMMAND ${run} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  expect_status("${name}" "${status}" ${expected_status} "${out}" "${err}")
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_in name text pattern)
  string(FIND "${text}" "${pattern}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${name}: no \"${pattern}\" in\n${text}")
  endif()
endfunction()

function(expect_equal name text expected)
  if(NOT text STREQUAL expected)
    message(FATAL_ERROR "${name}: expected\n${expected}\ngot\n${text}")
  endif()
endfunction()
