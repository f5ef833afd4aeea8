# The hydrograph view as a user sees it: vasquil on the sample river under a virtual X display,
# the options, a transient run with the results database every step, the discharge as Qflux and
# as nodal Qw, then the thermal sample's air temperature through 72 h, the screen saved at every
# stop. Skipped where xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(hydrograph_tour ${CMAKE_CURRENT_LIST_DIR}/hydrograph_tour.cpp)
  target_link_libraries(hydrograph_tour PRIVATE vasquil_views SQLite::SQLite3 Qt6::Test)

  vasquil_add_screen_tour(hydrograph_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples/sample-river.vqx ${CMAKE_SOURCE_DIR}/examples/sample-thermal.vqx
    ${CMAKE_CURRENT_BINARY_DIR}/hydrograph-tour)
endif()
