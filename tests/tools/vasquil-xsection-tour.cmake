# The cross-section editor as a user sees it: vasquil on the sample river under a virtual X
# display, a typed point, a raised point count, Apply, Save and reopen, a water-quality run
# watched from the editor, and the thermal sample's border ice after 72 h, the screen saved at
# every stop. Skipped where xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(xsection_tour ${CMAKE_CURRENT_LIST_DIR}/xsection_tour.cpp)
  target_link_libraries(xsection_tour PRIVATE vasquil_views SQLite::SQLite3 Qt6::Test)

  vasquil_add_screen_tour(xsection_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples ${CMAKE_CURRENT_BINARY_DIR}/xsection-tour)
endif()
