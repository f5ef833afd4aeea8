# The outputs and the run dialog as a user sees them: vasquil on the sample river under a
# virtual X display, Output Options initialized and its question on Close, and the transient
# dialog during a run past the end of the inflow, the screen saved at every stop. Skipped where
# xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(run_tour ${CMAKE_CURRENT_LIST_DIR}/run_tour.cpp)
  target_link_libraries(run_tour PRIVATE vasquil_views)
  target_include_directories(run_tour PRIVATE ${CMAKE_CURRENT_LIST_DIR})

  find_program(XVFB_RUN xvfb-run)
  set(tour_script ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh)
  if(XVFB_RUN)
    add_test(NAME vasquil.run_tour
      COMMAND ${tour_script} $<TARGET_FILE:run_tour> ${CMAKE_SOURCE_DIR}/examples/sample-river.vqx
              ${CMAKE_CURRENT_BINARY_DIR}/run-tour)
  else()
    add_test(NAME vasquil.run_tour COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.run_tour PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()
