# vasquil-batch end to end on inputs that used to hang and on mutated model files.
add_executable(batch_robustness ${CMAKE_CURRENT_LIST_DIR}/batch_robustness.cpp)
target_link_libraries(batch_robustness PRIVATE vasquil_engine SQLite::SQLite3 GTest::gtest GTest::gtest_main)
target_compile_definitions(batch_robustness PRIVATE
  VASQUIL_BATCH="$<TARGET_FILE:vasquil-batch>"
  VASQUIL_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  VASQUIL_TEST_DATA="${CMAKE_CURRENT_LIST_DIR}/../data")
add_dependencies(batch_robustness vasquil-batch)
gtest_discover_tests(batch_robustness DISCOVERY_TIMEOUT 60)
