# The HEC-RAS conversion as a user sees it: vasquil under a virtual X display converting the
# sample geometry, then the converted model's profile after a steady run. Skipped where
# xvfb-run is missing.
if(VASQUIL_BUILD_GUI)
  add_executable(hecras_tour ${CMAKE_CURRENT_LIST_DIR}/hecras_tour.cpp)
  target_link_libraries(hecras_tour PRIVATE vasquil_views)

  vasquil_add_screen_tour(hecras_tour ${CMAKE_CURRENT_LIST_DIR}/scripts/vasquil_profile_tour.sh
    ${CMAKE_SOURCE_DIR}/examples/sample-geometry.g01 ${CMAKE_CURRENT_BINARY_DIR}/hecras-tour)
endif()
