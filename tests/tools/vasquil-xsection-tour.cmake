# The cross-section editor as a user sees it: vasquil on the sample river under a virtual X
# display, a typed point, a raised point count, Apply, Save and reopen, a water-quality run
# watched from the editor, and the thermal sample's border ice after 72 h, the screen saved at
# every stop. Skipped where xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(xsection_tour ${CMAKE_CURRENT_LIST_DIR}/xsection_tour.cpp)
  target_link_libraries(xsection_tour PRIVATE vasquil_views SQLite::SQLite3 Qt6::Test)

  find_program(XVFB_RUN xvfb-run)
  set(tour_script ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh)
  if(XVFB_RUN)
    add_test(NAME vasquil.xsection_tour
      COMMAND ${tour_script} $<TARGET_FILE:xsection_tour> ${CMAKE_SOURCE_DIR}/examples
              ${CMAKE_CURRENT_BINARY_DIR}/xsection-tour)
  else()
    add_test(NAME vasquil.xsection_tour COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.xsection_tour PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()
