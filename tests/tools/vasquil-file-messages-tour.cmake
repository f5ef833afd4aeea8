# The program's file messages as a user sees them: vasquil under a virtual X display showing
# the save question and the message of a model that does not open. Skipped where xvfb-run is
# missing.
if(VASQUIL_BUILD_GUI)
  add_executable(file_messages_tour ${CMAKE_CURRENT_LIST_DIR}/file_messages_tour.cpp)
  target_link_libraries(file_messages_tour PRIVATE vasquil_views)

  vasquil_add_screen_tour(file_messages_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples/sample-river.vqx ${CMAKE_CURRENT_BINARY_DIR}/file-messages-tour)
endif()
