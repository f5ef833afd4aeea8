# `cmake --install` into a scratch prefix: both programs, the desktop entry with the program's
# icon, and the MIME type of model files (without the GUI, vasquil-batch alone).
include(GNUInstallDirs)
add_test(NAME vasquil.install
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-prefix
          -DBINDIR=${CMAKE_INSTALL_BINDIR} -DDATADIR=${CMAKE_INSTALL_DATADIR} -DGUI=${VASQUIL_BUILD_GUI}
          -P ${CMAKE_CURRENT_LIST_DIR}/scripts/install_test.cmake)
