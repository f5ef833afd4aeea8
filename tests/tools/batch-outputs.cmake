# Tests of vasquil-batch's outputs that run it as a child process: targets it must refuse and
# leave untouched, runs killed at any moment, and a state that is no number.
add_executable(batch_outputs_tests ${CMAKE_CURRENT_LIST_DIR}/BatchOutputsTest.cpp)
target_link_libraries(batch_outputs_tests PRIVATE SQLite::SQLite3 GTest::gtest GTest::gtest_main)
target_compile_definitions(batch_outputs_tests PRIVATE
  VASQUIL_BATCH="$<TARGET_FILE:vasquil-batch>"
  VASQUIL_SAMPLE_MODEL="${CMAKE_SOURCE_DIR}/examples/sample-river.vqx"
  VASQUIL_SAMPLE_WATER_QUALITY="${CMAKE_SOURCE_DIR}/examples/sample-river.nu")
target_include_directories(batch_outputs_tests PRIVATE ${CMAKE_SOURCE_DIR})
add_dependencies(batch_outputs_tests vasquil-batch)
gtest_discover_tests(batch_outputs_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
