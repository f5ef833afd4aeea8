# The thermal-ice example runs headless: a freeze-up with its database, result files and saved
# state, steady passes, and the warning about nodes without an atmospheric zone.
add_executable(thermal_check ${CMAKE_CURRENT_LIST_DIR}/thermal_check.cpp)
target_link_libraries(thermal_check PRIVATE vasquil_engine SQLite::SQLite3)

foreach(name transient steady unzoned)
  add_test(NAME vasquil-batch.thermal_example_${name}
    COMMAND ${CMAKE_COMMAND}
      -DCASE=${name}
      -DBATCH=$<TARGET_FILE:vasquil-batch>
      -DCHECK=$<TARGET_FILE:thermal_check>
      -DMODEL=${CMAKE_SOURCE_DIR}/examples/sample-thermal.vqx
      -DWORK=${CMAKE_CURRENT_BINARY_DIR}/thermal-example/${name}
      -P ${CMAKE_CURRENT_LIST_DIR}/scripts/thermal_example_test.cmake)
endforeach()
