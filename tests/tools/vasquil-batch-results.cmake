# Command-line tests of the result text files of vasquil-batch: the files of a run of the sample
# model agree with the results database of the same run.
add_executable(results_check ${CMAKE_CURRENT_LIST_DIR}/results_check.cpp)
target_link_libraries(results_check PRIVATE vasquil_engine SQLite::SQLite3)

function(vasquil_batch_results_test name)
  add_test(NAME vasquil-batch.results.${name}
    COMMAND ${CMAKE_COMMAND}
      -DCASE=${name}
      -DBATCH=$<TARGET_FILE:vasquil-batch>
      -DCHECK=$<TARGET_FILE:results_check>
      -DMODEL=${CMAKE_SOURCE_DIR}/examples/sample-river.vqx
      -DWORK=${CMAKE_CURRENT_BINARY_DIR}/batch-results-tests/${name}
      -P ${CMAKE_CURRENT_LIST_DIR}/scripts/batch_results_test.cmake)
endfunction()

foreach(name every_step_peaks hourly_series state_files steady_snapshots bad_results_folder state_without_results bad_state_interval)
  vasquil_batch_results_test(${name})
endforeach()
