# Command-line tests of vasquil-batch with ice: the jam sample in steady passes with the ice-jam
# stability solution, the dynamic-ice sample, and refused input.
add_executable(ice_check ${CMAKE_CURRENT_LIST_DIR}/ice_check.cpp)
target_link_libraries(ice_check PRIVATE vasquil_engine)

vasquil_batch_script_tests(PREFIX vasquil-batch.ice.
  CHECK ice_check
  SCRIPT ${CMAKE_CURRENT_LIST_DIR}/scripts/batch_ice_test.cmake
  WORK batch-ice-tests
  DEFINES -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples
  CASES jam_sample dynamic_ice_sample jam_refused_in_transient_runs jam_refused_for_other_file_types
    upstream_chainage_warning)
