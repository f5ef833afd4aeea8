# A series grid as a user sees it: the grid's host dialog with 100,001 rows under a virtual X
# display, the screen saved at the top, the middle and the end, with a selection, a widened
# in-place editor and its red edit, a pasted block's end, and a narrow column. Skipped where
# xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(grid_tour ${CMAKE_CURRENT_LIST_DIR}/grid_tour.cpp)
  target_link_libraries(grid_tour PRIVATE vasquil_controls)
  target_include_directories(grid_tour PRIVATE ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/../controls)

  vasquil_add_screen_tour(grid_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_grid_tour.sh
    ${CMAKE_CURRENT_BINARY_DIR}/grid-tour)
endif()
