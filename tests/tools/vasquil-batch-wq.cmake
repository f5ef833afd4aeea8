# Command-line tests of vasquil-batch with water quality: the sample river with its nutrient
# file, the branched example with heavy metals, a uniform tracer in steady flow, and refused
# input.
add_executable(wq_check ${CMAKE_CURRENT_LIST_DIR}/wq_check.cpp)
target_link_libraries(wq_check PRIVATE vasquil_engine)

vasquil_batch_script_tests(PREFIX vasquil-batch.wq.
  CHECK wq_check
  SCRIPT ${CMAKE_CURRENT_LIST_DIR}/scripts/batch_wq_test.cmake
  WORK batch-wq-tests
  DEFINES -DEXAMPLES=${CMAKE_SOURCE_DIR}/examples -DDATA=${CMAKE_CURRENT_SOURCE_DIR}/data
  CASES sample_river sample_network cannot_run uniform_tracer bad_file steady_refused save_needs_wq bad_save_path)
