# The settings dialogs as a user sees them: vasquil under a virtual X display showing Global
# Settings for a model of each file type, File Options and the bridging-event and Manning's n
# editors. Skipped where xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(settings_tour ${CMAKE_CURRENT_LIST_DIR}/settings_tour.cpp)
  target_link_libraries(settings_tour PRIVATE vasquil_views)

  vasquil_add_screen_tour(settings_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_CURRENT_SOURCE_DIR}/data ${CMAKE_CURRENT_BINARY_DIR}/settings-tour)
endif()
