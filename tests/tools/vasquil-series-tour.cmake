# The series editors as a user sees them: each dialog filled under a virtual X display, the
# widened ones, and edits in red before Apply and black after it. Skipped where xvfb-run is
# missing.
if(VASQUIL_BUILD_GUI)
  add_executable(series_tour ${CMAKE_CURRENT_LIST_DIR}/series_tour.cpp)
  target_link_libraries(series_tour PRIVATE vasquil_app)
  target_include_directories(series_tour PRIVATE ${CMAKE_CURRENT_LIST_DIR})

  find_program(XVFB_RUN xvfb-run)
  if(XVFB_RUN)
    add_test(NAME vasquil.series_tour
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_grid_tour.sh $<TARGET_FILE:series_tour>
              ${CMAKE_CURRENT_BINARY_DIR}/series-tour)
  else()
    add_test(NAME vasquil.series_tour COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.series_tour PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()
