# The program started with a file on its command line, headless: a model opens; a missing file
# and a file the reader refuses show their reason, and the program runs on without a model.
if(VASQUIL_BUILD_GUI)
  add_executable(startup_check ${CMAKE_CURRENT_LIST_DIR}/startup_check.cpp)
  target_link_libraries(startup_check PRIVATE vasquil_views)

  set(startup_work ${CMAKE_CURRENT_BINARY_DIR}/startup)
  file(MAKE_DIRECTORY ${startup_work})
  file(WRITE ${startup_work}/refused.vqx "7 this is no model\n")
  set(headless ${CMAKE_CURRENT_SOURCE_DIR}/platform/run-headless.sh)
  add_test(NAME vasquil.startup.model
    COMMAND ${headless} $<TARGET_FILE:startup_check> ${CMAKE_CURRENT_SOURCE_DIR}/data/ft0-metric.vqx -)
  add_test(NAME vasquil.startup.missing
    COMMAND ${headless} $<TARGET_FILE:startup_check> ${startup_work}/missing.vqx
            "Could not open ${startup_work}/missing.vqx: No such file or directory.")
  add_test(NAME vasquil.startup.refused
    COMMAND ${headless} $<TARGET_FILE:startup_check> ${startup_work}/refused.vqx
            "refused.vqx was not opened: it is not a model file that can be read.")
endif()
