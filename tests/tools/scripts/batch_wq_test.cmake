# One water-quality test of vasquil-batch, run with cmake -P.
# Variables: CASE, BATCH (the runner), CHECK (wq_check), EXAMPLES (examples folder), DATA (test
# data folder), WORK (scratch folder).
include(${CMAKE_CURRENT_LIST_DIR}/batch_common.cmake)
set(RIVER "${EXAMPLES}/sample-river.vqx")
set(NUTRIENTS "${EXAMPLES}/sample-river.nu")
set(NETWORK "${EXAMPLES}/sample-network.vqx")
set(METALS "${EXAMPLES}/sample-network.hm")

# Expects the exit code and exactly one line on standard error, matching the pattern.
function(expect_refusal code pattern)
  expect_failure(${code} "${pattern}" ${ARGN})
  if(NOT err MATCHES "^vasquil-batch: ${pattern}[^\n]*\n$")
    message(FATAL_ERROR "vasquil-batch ${ARGN}: standard error is more than one line:\n${err}")
  endif()
endfunction()

# Runs a sample model with its water-quality file for 24 hours, as the README does, saving the
# final water quality as saved_name: the progress lines show water-quality iterations, the
# saved file reads back as pattern and differs from the input, and the time series in R names
# the water-quality input and carries the columns (a pattern). Sets saved to what the saved
# file reads back as.
function(expect_sample_run model wq saved_name pattern columns)
  expect_success(run "${model}" --wq "${wq}" --final-hours 24 --results R --save-wq ${saved_name})
  if(NOT out MATCHES "time +24\\.0000 h [^\n]*water quality [1-9]")
    message(FATAL_ERROR "no water-quality iterations in the progress lines:\n${out}")
  endif()
  check(values "${model}" "${WORK}/${saved_name}")
  if(NOT RESULT MATCHES "${pattern}")
    message(FATAL_ERROR "the saved water-quality file does not read back: ${RESULT}")
  endif()
  set(readback "${RESULT}")
  check(values "${model}" "${wq}")
  if(RESULT STREQUAL "${readback}")
    message(FATAL_ERROR "the run changed no value")
  endif()
  get_filename_component(model_name "${model}" NAME_WE)
  get_filename_component(wq_name "${wq}" NAME)
  string(REPLACE "." "\\." wq_name "${wq_name}")
  file(READ "${WORK}/R/${model_name} time series.csv" series)
  if(NOT series MATCHES "WQ input file:   [^\n]*${wq_name}\n" OR NOT series MATCHES "${columns}")
    message(FATAL_ERROR "the time series lacks the water-quality header line or columns")
  endif()
  set(saved "${readback}" PARENT_SCOPE)
endfunction()

if(CASE STREQUAL "sample_river")
  # The sample river with its nutrient file, as the README runs it: the water-quality solve
  # runs every step, the time series carries the nutrients, the final state reads back, and
  # the BOD load at the inflow leaves the least oxygen downstream of it.
  expect_sample_run("${RIVER}" "${NUTRIENTS}" final.nu "^type 0 nodes 31 " ",DO \\(mg/L\\),NH3 \\(mg/L\\),")
  check(lowest "${RIVER}" "${WORK}/final.nu" 0)
  if(NOT RESULT MATCHES "^node ([0-9]+) of 31$" OR CMAKE_MATCH_1 LESS 2)
    message(FATAL_ERROR "the least dissolved oxygen is not downstream of the load: ${RESULT}")
  endif()
  file(GLOB leftovers "${WORK}/*.saving-*")
  expect_equal("temporary files" "${leftovers}" "")
elseif(CASE STREQUAL "sample_network")
  # Heavy metals on the branched example, as the README runs it.
  expect_sample_run("${NETWORK}" "${METALS}" final.hm "^type 1 nodes 32 min ([^ ]+) " ",Cdw \\(mg/L\\),Caw \\(mg/L\\),")
  if(NOT saved MATCHES "^type 1 nodes 32 min ([^ ]+) " OR CMAKE_MATCH_1 LESS 0)
    message(FATAL_ERROR "a dissolved metal below 0: ${saved}")
  endif()
elseif(CASE STREQUAL "cannot_run")
  # A heavy-metal file without a mole weight loads, but the run is refused before it starts.
  file(READ "${METALS}" text)
  string(REGEX REPLACE "\\(mw\\) = [^\n]*" "(mw) = 0" text "${text}")
  file(WRITE "${WORK}/no-mole-weight.hm" "${text}")
  check(values "${NETWORK}" "${WORK}/no-mole-weight.hm")
  expect_refusal(1 "the water-quality file 'no-mole-weight.hm' cannot be run: its Mw is 0, and the kinetics divide by it"
    run "${NETWORK}" --wq no-mole-weight.hm --final-hours 1 --results R --save-wq never.hm)
  if(EXISTS "${WORK}/never.hm" OR EXISTS "${WORK}/R")
    message(FATAL_ERROR "a run that was refused wrote output")
  endif()
elseif(CASE STREQUAL "uniform_tracer")
  # One concentration everywhere and at the inflow of a steady flow, no sources or sinks: the
  # concentration stays, to the solver's tolerance, while the flow settles.
  expect_success(run "${DATA}/steady-channel.vqx" --wq "${DATA}/tracer.hm" --final-hours 4 --save-wq traced.hm)
  check(values "${DATA}/steady-channel.vqx" "${WORK}/traced.hm")
  if(NOT RESULT MATCHES "^type 1 nodes 11 min ([^ ]+) 0 0 0 0 0 max ([^ ]+) 0 0 0 0 0$")
    message(FATAL_ERROR "tracer: '${RESULT}': values other than the tracer changed")
  endif()
  if(CMAKE_MATCH_1 LESS 4.99998 OR CMAKE_MATCH_2 GREATER 5.00002)
    message(FATAL_ERROR "tracer: '${RESULT}': the tracer moved away from 5")
  endif()
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
  expect_refusal(1 "cannot write the saved water-quality file 'no-such-folder/out.nu': No such file or directory"
    run "${RIVER}" --wq "${NUTRIENTS}" --final-hours 1000000 --save-wq no-such-folder/out.nu)
else()
  message(FATAL_ERROR "unknown case ${CASE}")
endif()
