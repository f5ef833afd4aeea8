# cmake -DBUILD_DIR=<build tree> -DPREFIX=<scratch prefix> -DBINDIR=bin -DDATADIR=share -DGUI=ON|OFF
#       -P install_test.cmake
# Installs the build tree into the emptied prefix and checks what a desktop needs of it.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()

set(expected "${BINDIR}/vasquil-batch")
if(GUI)
  list(APPEND expected "${BINDIR}/vasquil" "${DATADIR}/applications/vasquil.desktop"
       "${DATADIR}/mime/packages/vasquil-model.xml"
       "${DATADIR}/icons/hicolor/64x64/apps/vasquil.png")
endif()
foreach(file ${expected})
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
# The installed runner runs from there.
execute_process(COMMAND "${PREFIX}/${BINDIR}/vasquil-batch" --help RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed vasquil-batch --help ended with ${status}")
endif()

if(GUI)
  # The entry names the icon by the name it is installed under.
  file(STRINGS "${PREFIX}/${DATADIR}/applications/vasquil.desktop" icon REGEX "^Icon=")
  if(NOT icon STREQUAL "Icon=vasquil")
    message(FATAL_ERROR "the desktop entry's icon line is '${icon}', not 'Icon=vasquil'")
  endif()
  # A PNG file of 64 x 64 pixels: the signature, then the IHDR chunk's width and height.
  file(READ "${PREFIX}/${DATADIR}/icons/hicolor/64x64/apps/vasquil.png" header LIMIT 24 HEX)
  if(NOT header MATCHES "^89504e470d0a1a0a........494844520000004000000040$")
    message(FATAL_ERROR "the icon is not a 64 x 64 PNG file (header ${header})")
  endif()
endif()
message("Installed: ${expected}")
