# The profile view as a user sees it: vasquil on the sample river under a virtual X display,
# the screen saved after the open and for every layout with its options dialog. Skipped where
# xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(profile_tour ${CMAKE_CURRENT_LIST_DIR}/profile_tour.cpp)
  target_link_libraries(profile_tour PRIVATE vasquil_views)

  vasquil_add_screen_tour(profile_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples/sample-river.vqx ${CMAKE_CURRENT_BINARY_DIR}/profile-tour)
endif()

# Water quality as a user sees it: the sample river with its nutrient file, the settings and
# run dialogs and the profile of dissolved oxygen after a run.
if(VASQUIL_BUILD_GUI)
  add_executable(wq_tour ${CMAKE_CURRENT_LIST_DIR}/wq_tour.cpp)
  target_link_libraries(wq_tour PRIVATE vasquil_views)
  vasquil_add_screen_tour(wq_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples/sample-river.vqx ${CMAKE_SOURCE_DIR}/examples/sample-river.nu 12 BOD
    ${CMAKE_CURRENT_BINARY_DIR}/wq-tour)
endif()
