# Command-line tests of vasquil-batch: end-to-end runs of the sample model and refused input.
add_executable(batch_check ${CMAKE_CURRENT_LIST_DIR}/batch_check.cpp)
target_link_libraries(batch_check PRIVATE vasquil_engine)

vasquil_batch_script_tests(PREFIX vasquil-batch.
  CHECK batch_check
  SCRIPT ${CMAKE_CURRENT_LIST_DIR}/scripts/batch_test.cmake
  WORK batch-tests
  DEFINES -DMODEL=${CMAKE_SOURCE_DIR}/examples/sample-river.vqx
  CASES
    transient_sample steady_sample every_step_sample
    no_arguments unknown_command unknown_option missing_value bad_number absurd_intervals both_modes steady_option_mismatch
    missing_model_file not_a_model final_time_before_start bad_database_path bad_save_path database_over_model
    cannot_progress)
