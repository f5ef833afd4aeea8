# The thermal-ice example runs headless: a freeze-up with its database, result files and saved
# state, steady passes, and the warning about nodes without an atmospheric zone.
add_executable(thermal_check ${CMAKE_CURRENT_LIST_DIR}/thermal_check.cpp)
target_link_libraries(thermal_check PRIVATE vasquil_engine SQLite::SQLite3)

vasquil_batch_script_tests(PREFIX vasquil-batch.thermal_example_
  CHECK thermal_check
  SCRIPT ${CMAKE_CURRENT_LIST_DIR}/scripts/thermal_example_test.cmake
  WORK thermal-example
  DEFINES -DMODEL=${CMAKE_SOURCE_DIR}/examples/sample-thermal.vqx
  CASES transient steady unzoned)
