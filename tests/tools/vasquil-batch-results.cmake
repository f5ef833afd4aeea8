# Command-line tests of the result text files of vasquil-batch: the files of a run of the sample
# model agree with the results database of the same run.
add_executable(results_check ${CMAKE_CURRENT_LIST_DIR}/results_check.cpp)
target_link_libraries(results_check PRIVATE vasquil_engine SQLite::SQLite3)

vasquil_batch_script_tests(PREFIX vasquil-batch.results.
  CHECK results_check
  SCRIPT ${CMAKE_CURRENT_LIST_DIR}/scripts/batch_results_test.cmake
  WORK batch-results-tests
  DEFINES -DMODEL=${CMAKE_SOURCE_DIR}/examples/sample-river.vqx
  CASES every_step_peaks hourly_series state_files steady_snapshots bad_results_folder state_without_results
    bad_state_interval)
