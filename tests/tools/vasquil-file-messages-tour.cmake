# The program's file messages as a user sees them: vasquil under a virtual X display showing
# the save question and the message of a model that does not open. Skipped where xvfb-run is
# missing.
if(VASQUIL_BUILD_GUI)
  add_executable(file_messages_tour ${CMAKE_CURRENT_LIST_DIR}/file_messages_tour.cpp)
  target_link_libraries(file_messages_tour PRIVATE vasquil_views)

  find_program(XVFB_RUN xvfb-run)
  if(XVFB_RUN)
    add_test(NAME vasquil.file_messages_tour
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh $<TARGET_FILE:file_messages_tour>
              ${CMAKE_SOURCE_DIR}/examples/sample-river.vqx ${CMAKE_CURRENT_BINARY_DIR}/file-messages-tour)
  else()
    add_test(NAME vasquil.file_messages_tour COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.file_messages_tour PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()
