# The plan view as a user sees it: vasquil on the branched sample river under a virtual X
# display, a map image loaded under it, the options, the zooms and a transient run, the screen
# saved at every stop. Skipped where xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(plan_tour ${CMAKE_CURRENT_LIST_DIR}/plan_tour.cpp)
  target_link_libraries(plan_tour PRIVATE vasquil_views SQLite::SQLite3 Qt6::Test)

  vasquil_add_screen_tour(plan_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples/sample-network.vqx ${CMAKE_CURRENT_BINARY_DIR}/plan-tour)
endif()
