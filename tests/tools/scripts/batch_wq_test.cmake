# One water-quality test of vasquil-batch, run with cmake -P.
# Variables: CASE, BATCH (the runner), CHECK (wq_check), EXAMPLES (examples folder), DATA (test
# data folder), WORK (scratch folder).
include(${CMAKE_CURRENT_LIST_DIR}/batch_common.cmake)
set(RIVER "${EXAMPLES}/sample-river.vqx")
set(NUTRIENTS "${EXAMPLES}/sample-river.nu")

# Expects the exit code and exactly one line on standard error, matching the pattern.
function(expect_refusal code pattern)
  expect_failure(${code} "${pattern}" ${ARGN})
  if(NOT err MATCHES "^vasquil-batch: ${pattern}[^\n]*\n$")
    message(FATAL_ERROR "vasquil-batch ${ARGN}: standard error is more than one line:\n${err}")
  endif()
endfunction()

if(CASE STREQUAL "sample_river")
  # The sample river with its nutrient file, as the README runs it: the water-quality solve
  # runs every step, the time series carries the nutrients, the final state reads back.
  expect_success(run "${RIVER}" --wq "${NUTRIENTS}" --final-hours 3 --results R --save-wq final.nu)
  if(NOT out MATCHES "time +3\\.0000 h [^\n]*water quality [1-9]")
    message(FATAL_ERROR "no water-quality iterations in the progress lines:\n${out}")
  endif()
  check(values "${RIVER}" "${WORK}/final.nu")
  if(NOT RESULT MATCHES "^type 0 nodes 31 ")
    message(FATAL_ERROR "the saved water-quality file does not read back: ${RESULT}")
  endif()
  file(READ "${WORK}/R/sample-river time series.csv" series)
  if(NOT series MATCHES "WQ input file:   [^\n]*sample-river\\.nu\n" OR NOT series MATCHES ",DO \\(mg/L\\),NH3 \\(mg/L\\),")
    message(FATAL_ERROR "the time series lacks the water-quality header line or columns")
  endif()
  file(GLOB leftovers "${WORK}/*.saving-*")
  expect_equal("temporary files" "${leftovers}" "")
elseif(CASE STREQUAL "uniform_tracer")
  # One concentration everywhere and at the inflow of a steady flow, no sources or sinks: the
  # concentration stays.
  expect_success(run "${DATA}/steady-channel.vqx" --wq "${DATA}/tracer.hm" --final-hours 4 --save-wq traced.hm)
  check(values "${DATA}/steady-channel.vqx" "${WORK}/traced.hm")
  expect_equal("tracer" "${RESULT}" "type 1 nodes 11 min 5 0 0 0 0 0 max 5 0 0 0 0 0")
elseif(CASE STREQUAL "bad_file")
  file(READ "${NUTRIENTS}" text)
  string(REGEX REPLACE "\n\t3\t" "\n\t99\t" text "${text}")
  file(WRITE "${WORK}/bad.nu" "${text}")
  expect_refusal(1 "the water-quality file 'bad.nu' was refused: WQ node row 3 gives node 99 where the model has node 3"
    run "${RIVER}" --wq bad.nu --final-hours 1 --save-wq never.nu)
  if(EXISTS "${WORK}/never.nu")
    message(FATAL_ERROR "a refused water-quality file was saved")
  endif()
elseif(CASE STREQUAL "steady_refused")
  expect_refusal(2 "--wq runs the water quality in a transient run, not with --steady" run "${RIVER}" --wq "${NUTRIENTS}" --steady)
elseif(CASE STREQUAL "save_needs_wq")
  expect_refusal(2 "--save-wq needs --wq" run "${RIVER}" --save-wq out.nu)
elseif(CASE STREQUAL "bad_save_path")
  expect_refusal(1 "cannot write the water-quality file 'no-such-folder/out.nu': its folder does not exist"
    run "${RIVER}" --wq "${NUTRIENTS}" --final-hours 1000000 --save-wq no-such-folder/out.nu)
else()
  message(FATAL_ERROR "unknown case ${CASE}")
endif()
