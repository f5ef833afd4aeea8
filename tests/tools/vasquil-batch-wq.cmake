# Command-line tests of vasquil-batch with water quality: the sample river with its nutrient
# file, the branched example with heavy metals, a uniform tracer in steady flow, and refused
# input.
add_executable(wq_check ${CMAKE_CURRENT_LIST_DIR}/wq_check.cpp)
target_link_libraries(wq_check PRIVATE vasquil_engine)

function(vasquil_batch_wq_test name)
  add_test(NAME vasquil-batch.wq.${name}
    COMMAND ${CMAKE_COMMAND}
      -DCASE=${name}
      -DBATCH=$<TARGET_FILE:vasquil-batch>
      -DCHECK=$<TARGET_FILE:wq_check>
      -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples
      -DDATA=${CMAKE_CURRENT_SOURCE_DIR}/data
      -DWORK=${CMAKE_CURRENT_BINARY_DIR}/batch-wq-tests/${name}
      -P ${CMAKE_CURRENT_LIST_DIR}/scripts/batch_wq_test.cmake)
endfunction()

foreach(name sample_river sample_network cannot_run uniform_tracer bad_file steady_refused save_needs_wq bad_save_path)
  vasquil_batch_wq_test(${name})
endforeach()
