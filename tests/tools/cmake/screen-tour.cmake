# Adds the test vasquil.<name>: the tour executable <name> run through script (which starts it
# under a virtual X display) with the tour's own arguments after it, the output folder last.
# Where xvfb-run is missing, the test only says so and counts as skipped.
function(vasquil_add_screen_tour name script)
  find_program(XVFB_RUN xvfb-run)
  if(XVFB_RUN)
    add_test(NAME vasquil.${name} COMMAND ${script} $<TARGET_FILE:${name}> ${ARGN})
  else()
    add_test(NAME vasquil.${name} COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.${name} PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endfunction()
