# Command-line tests of vasquil-batch convert: the sample geometry converted and run steady, and
# refused conversions that leave an existing model as it was.
add_executable(convert_check ${CMAKE_CURRENT_LIST_DIR}/convert_check.cpp)
target_link_libraries(convert_check PRIVATE vasquil_engine SQLite::SQLite3)

vasquil_batch_script_tests(PREFIX vasquil-batch.convert.
  CHECK convert_check
  SCRIPT ${CMAKE_CURRENT_LIST_DIR}/scripts/batch_convert_test.cmake
  WORK batch-convert-tests
  DEFINES -DGEOMETRY=${CMAKE_SOURCE_DIR}/examples/sample-geometry.g01
  CASES first_reach_runs_steady imperial_second_reach failure_keeps_the_model bad_command_lines)
