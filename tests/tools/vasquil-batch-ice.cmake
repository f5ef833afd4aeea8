# Command-line tests of vasquil-batch with ice: the jam sample in steady passes with the ice-jam
# stability solution, the dynamic-ice sample, and refused input.
add_executable(ice_check ${CMAKE_CURRENT_LIST_DIR}/ice_check.cpp)
target_link_libraries(ice_check PRIVATE vasquil_engine)

function(vasquil_batch_ice_test name)
  add_test(NAME vasquil-batch.ice.${name}
    COMMAND ${CMAKE_COMMAND}
      -DCASE=${name}
      -DBATCH=$<TARGET_FILE:vasquil-batch>
      -DCHECK=$<TARGET_FILE:ice_check>
      -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples
      -DWORK=${CMAKE_CURRENT_BINARY_DIR}/batch-ice-tests/${name}
      -P ${CMAKE_CURRENT_LIST_DIR}/scripts/batch_ice_test.cmake)
endfunction()

foreach(name jam_sample dynamic_ice_sample jam_refused_in_transient_runs jam_refused_for_other_file_types
    upstream_chainage_warning)
  vasquil_batch_ice_test(${name})
endforeach()
