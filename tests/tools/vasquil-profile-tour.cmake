# The profile view as a user sees it: vasquil on the sample river under a virtual X display,
# the screen saved after the open and for every layout with its options dialog. Skipped where
# xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(profile_tour ${CMAKE_CURRENT_LIST_DIR}/profile_tour.cpp)
  target_link_libraries(profile_tour PRIVATE vasquil_views)

  find_program(XVFB_RUN xvfb-run)
  set(tour_script ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh)
  if(XVFB_RUN)
    add_test(NAME vasquil.profile_tour
      COMMAND ${tour_script} $<TARGET_FILE:profile_tour> ${CMAKE_SOURCE_DIR}/examples/sample-river.vqx
              ${CMAKE_CURRENT_BINARY_DIR}/profile-tour)
  else()
    add_test(NAME vasquil.profile_tour COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.profile_tour PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()

# Water quality as a user sees it: the sample river with its nutrient file, the settings and
# run dialogs and the profile of dissolved oxygen after a run.
if(VASQUIL_BUILD_GUI)
  add_executable(wq_tour ${CMAKE_CURRENT_LIST_DIR}/wq_tour.cpp)
  target_link_libraries(wq_tour PRIVATE vasquil_views)
  if(XVFB_RUN)
    add_test(NAME vasquil.wq_tour
      COMMAND ${tour_script} $<TARGET_FILE:wq_tour> ${CMAKE_SOURCE_DIR}/examples/sample-river.vqx
              ${CMAKE_SOURCE_DIR}/examples/sample-river.nu 12 BOD ${CMAKE_CURRENT_BINARY_DIR}/wq-tour)
  else()
    add_test(NAME vasquil.wq_tour COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.wq_tour PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()
