# The outputs and the run dialog as a user sees them: vasquil on the sample river under a
# virtual X display, Output Options initialized and its question on Close, and the transient
# dialog during a run past the end of the inflow, the screen saved at every stop. Skipped where
# xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(run_tour ${CMAKE_CURRENT_LIST_DIR}/run_tour.cpp)
  target_link_libraries(run_tour PRIVATE vasquil_views)
  target_include_directories(run_tour PRIVATE ${CMAKE_CURRENT_LIST_DIR})

  vasquil_add_screen_tour(run_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples/sample-river.vqx ${CMAKE_CURRENT_BINARY_DIR}/run-tour)
endif()
