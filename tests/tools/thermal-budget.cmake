# Heat and mass budgets and Stefan growth of a still channel freezing over, run by vasquil-batch
# with the hydrodynamics on.
add_executable(thermal_budget ${CMAKE_CURRENT_LIST_DIR}/thermal_budget.cpp)
target_link_libraries(thermal_budget PRIVATE vasquil_engine SQLite::SQLite3)

vasquil_batch_script_tests(PREFIX vasquil-batch.thermal_budget.
  CHECK thermal_budget
  SCRIPT ${CMAKE_CURRENT_LIST_DIR}/scripts/thermal_budget_test.cmake
  WORK thermal-budget
  CASES open_closed_natural snow_closed_conservation open_held_rectangular snow_held_natural)
