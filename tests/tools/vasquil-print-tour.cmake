# The node table printed as a user sees it: vasquil on the sample river under a virtual X display,
# the table and its print preview, portrait and landscape, the screen saved at
# every stop. Skipped where xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(print_tour ${CMAKE_CURRENT_LIST_DIR}/print_tour.cpp)
  target_link_libraries(print_tour PRIVATE vasquil_views SQLite::SQLite3 Qt6::Test)

  vasquil_add_screen_tour(print_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples ${CMAKE_CURRENT_BINARY_DIR}/print-tour)
endif()
