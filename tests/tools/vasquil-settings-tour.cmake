# The settings dialogs as a user sees them: vasquil under a virtual X display showing Global
# Settings for a model of each file type, File Options and the bridging-event and Manning's n
# editors. Skipped where xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(settings_tour ${CMAKE_CURRENT_LIST_DIR}/settings_tour.cpp)
  target_link_libraries(settings_tour PRIVATE vasquil_views)

  find_program(XVFB_RUN xvfb-run)
  if(XVFB_RUN)
    add_test(NAME vasquil.settings_tour
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh $<TARGET_FILE:settings_tour>
              ${CMAKE_CURRENT_SOURCE_DIR}/data ${CMAKE_CURRENT_BINARY_DIR}/settings-tour)
  else()
    add_test(NAME vasquil.settings_tour COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.settings_tour PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()
