# What the command-line tests of vasquil-batch share, included by their scripts (cmake -P).
# Variables: BATCH (the runner), CHECK (the test's check tool), WORK (scratch folder, made
# afresh here).
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Runs the runner in WORK; sets rc, out and err.
function(run_batch)
  execute_process(COMMAND "${BATCH}" ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err WORKING_DIRECTORY "${WORK}")
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# Runs the runner and expects it to succeed; sets out and err.
function(expect_success)
  run_batch(${ARGN})
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "vasquil-batch ${ARGN} failed (${rc}):\n${err}\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# Runs the runner and expects the exit code and a line on standard error matching the pattern.
function(expect_failure code pattern)
  run_batch(${ARGN})
  if(NOT rc EQUAL code)
    message(FATAL_ERROR "vasquil-batch ${ARGN}: exit ${rc}, expected ${code}\n${err}")
  endif()
  if(NOT err MATCHES "vasquil-batch: ${pattern}")
    message(FATAL_ERROR "vasquil-batch ${ARGN}: standard error does not match '${pattern}':\n${err}")
  endif()
  set(err "${err}" PARENT_SCOPE)
endfunction()

# The check tool, run in WORK, with its RESULT line parsed into RESULT.
function(check)
  execute_process(COMMAND "${CHECK}" ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
    WORKING_DIRECTORY "${WORK}")
  if(NOT rc EQUAL 0 OR NOT out MATCHES "RESULT ([^\n]*)")
    message(FATAL_ERROR "${CHECK} ${ARGN} failed (${rc}):\n${err}\n${out}")
  endif()
  set(RESULT "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

function(expect_equal what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}: '${actual}', expected '${expected}'")
  endif()
endfunction()
