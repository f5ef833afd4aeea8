# The series editors as a user sees them: each dialog filled under a virtual X display, the
# widened ones, and edits in red before Apply and black after it. Skipped where xvfb-run is
# missing.
if(VASQUIL_BUILD_GUI)
  add_executable(series_tour ${CMAKE_CURRENT_LIST_DIR}/series_tour.cpp)
  target_link_libraries(series_tour PRIVATE vasquil_app)
  target_include_directories(series_tour PRIVATE ${CMAKE_CURRENT_LIST_DIR})

  vasquil_add_screen_tour(series_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_grid_tour.sh
    ${CMAKE_CURRENT_BINARY_DIR}/series-tour)
endif()
