# A title tip as a user sees it: vasquil on a copy of the sample river under a virtual X
# display, a node-table column narrowed below its longest text and the pointer resting on that
# cell; the screen saved with the tip, close up, and after the pointer left. Skipped where
# xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(title_tip_tour ${CMAKE_CURRENT_LIST_DIR}/title_tip_tour.cpp)
  target_link_libraries(title_tip_tour PRIVATE vasquil_views SQLite::SQLite3)

  find_program(XVFB_RUN xvfb-run)
  set(tour_script ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh)
  if(XVFB_RUN)
    add_test(NAME vasquil.title_tip_tour
      COMMAND ${tour_script} $<TARGET_FILE:title_tip_tour> ${CMAKE_SOURCE_DIR}/examples
              ${CMAKE_CURRENT_BINARY_DIR}/title-tip-tour)
  else()
    add_test(NAME vasquil.title_tip_tour COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.title_tip_tour PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()
