# The node table as a user sees it: vasquil on copies of the sample river and its water-quality
# data under a virtual X display: edits, Accept, Save and reopen, a water-quality run watched
# from the table, Auto Size, Expand To Fit and the output nodes only, the screen saved at every
# stop. Skipped where xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(node_table_tour ${CMAKE_CURRENT_LIST_DIR}/node_table_tour.cpp)
  target_link_libraries(node_table_tour PRIVATE vasquil_views SQLite::SQLite3 Qt6::Test)

  vasquil_add_screen_tour(node_table_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples ${CMAKE_CURRENT_BINARY_DIR}/node-table-tour)
endif()
