# The program as a user sees it: vasquil under a virtual X display, the screen saved to PNG and
# checked not to be blank. Skipped where xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(screenshot ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp)
  target_link_libraries(screenshot PRIVATE Qt6::Gui)

  find_program(XVFB_RUN xvfb-run)
  set(screenshot_script ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_screenshot.sh)
  if(XVFB_RUN)
    add_test(NAME vasquil.screenshot
      COMMAND ${screenshot_script} $<TARGET_FILE:vasquil> $<TARGET_FILE:screenshot>
              ${CMAKE_CURRENT_BINARY_DIR}/vasquil-screenshot.png)
  else()
    add_test(NAME vasquil.screenshot COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.screenshot PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()
