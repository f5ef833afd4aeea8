# A title tip as a user sees it: vasquil on a copy of the sample river under a virtual X
# display, a node-table column narrowed below its longest text and the pointer resting on that
# cell; the screen saved with the tip, close up, and after the pointer left. Skipped where
# xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(title_tip_tour ${CMAKE_CURRENT_LIST_DIR}/title_tip_tour.cpp)
  target_link_libraries(title_tip_tour PRIVATE vasquil_views SQLite::SQLite3)

  vasquil_add_screen_tour(title_tip_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples ${CMAKE_CURRENT_BINARY_DIR}/title-tip-tour)
endif()
