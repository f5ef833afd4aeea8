# The HEC-RAS conversion as a user sees it: vasquil under a virtual X display converting the
# sample geometry, then the converted model's profile after a steady run. Skipped where
# xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(hecras_tour ${CMAKE_CURRENT_LIST_DIR}/hecras_tour.cpp)
  target_link_libraries(hecras_tour PRIVATE vasquil_views)

  find_program(XVFB_RUN xvfb-run)
  if(XVFB_RUN)
    add_test(NAME vasquil.hecras_tour
      COMMAND ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh $<TARGET_FILE:hecras_tour>
              ${CMAKE_SOURCE_DIR}/examples/sample-geometry.g01 ${CMAKE_CURRENT_BINARY_DIR}/hecras-tour)
  else()
    add_test(NAME vasquil.hecras_tour COMMAND ${CMAKE_COMMAND} -E echo "xvfb-run not found")
    set_tests_properties(vasquil.hecras_tour PROPERTIES SKIP_REGULAR_EXPRESSION "xvfb-run not found")
  endif()
endif()
