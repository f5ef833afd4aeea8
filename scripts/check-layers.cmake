# Checks the include rules between the source folders:
#   engine/ and datalib/ include nothing of platform/, controls/, app/ or views/, and no Qt header;
#   platform/ includes nothing of the river layers (engine/, datalib/, controls/, app/, views/);
#   app/ includes nothing of views/ but in its entry file, app/main.cpp.
#
#   cmake -DSOURCE_DIR=<source tree> -P scripts/check-layers.cmake
#
# Prints every include that breaks a rule as FILE:LINE and fails when there is one. A quoted
# include is looked up beside the including file, then from the tree's root; a name found in
# neither place counts as a file of any folder whose tree holds a file of that name at that
# relative path (a folder may add an include directory of its own, as platform/chart does).
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  get_filename_component(SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

set(river_layers engine datalib controls app views)
# Folder, the folders it must not include, whether Qt headers are refused, and files exempt.
set(rule_folders engine datalib platform app)
set(rule_engine_refused platform controls app views)
set(rule_engine_qt TRUE)
set(rule_datalib_refused platform controls app views)
set(rule_datalib_qt TRUE)
set(rule_platform_refused ${river_layers})
set(rule_platform_qt FALSE)
set(rule_app_refused views)
set(rule_app_qt FALSE)
set(rule_app_exempt app/main.cpp)

# Qt's headers: <QString>, <QtCore/QString>, <QtWidgets>, <qglobal.h>.
set(qt_header "^(Q[A-Z][A-Za-z0-9]*|Qt[A-Za-z0-9]*(/.*)?|q[a-z0-9_]+\\.h)$")

# The files of every folder, by their paths from the root, for the names found nowhere else.
set(all_layers engine datalib platform controls app views)
foreach(layer ${all_layers})
  file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${layer}/*")
  set(files_${layer} ${files})
endforeach()

# The folder (first path component from the root) of an existing file, or empty outside the tree.
function(folder_of path out)
  cmake_path(NORMAL_PATH path)
  cmake_path(IS_PREFIX SOURCE_DIR "${path}" NORMALIZE inside)
  if(NOT inside)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  cmake_path(RELATIVE_PATH path BASE_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE relative)
  string(REGEX REPLACE "/.*" "" first "${relative}")
  set(${out} "${first}" PARENT_SCOPE)
endfunction()

# The folders an include of name from the file in dir may reach.
function(folders_of_include dir name out)
  if(EXISTS "${dir}/${name}" AND NOT IS_DIRECTORY "${dir}/${name}")
    folder_of("${dir}/${name}" f)
    set(${out} "${f}" PARENT_SCOPE)
    return()
  endif()
  if(EXISTS "${SOURCE_DIR}/${name}" AND NOT IS_DIRECTORY "${SOURCE_DIR}/${name}")
    folder_of("${SOURCE_DIR}/${name}" f)
    set(${out} "${f}" PARENT_SCOPE)
    return()
  endif()
  set(found "")
  foreach(layer ${all_layers})
    foreach(file ${files_${layer}})
      if(file MATCHES "/${name}$")
        list(APPEND found ${layer})
        break()
      endif()
    endforeach()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

set(broken 0)
foreach(folder ${rule_folders})
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.hpp"
       "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.cc")
  foreach(source ${sources})
    cmake_path(RELATIVE_PATH source BASE_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE relative)
    if(relative IN_LIST rule_${folder}_exempt)
      continue()
    endif()
    get_filename_component(dir "${source}" DIRECTORY)
    file(STRINGS "${source}" lines)
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
        continue()
      endif()
      set(name "${CMAKE_MATCH_2}")
      set(problem "")
      if(rule_${folder}_qt AND name MATCHES "${qt_header}")
        set(problem "a Qt header")
      else()
        folders_of_include("${dir}" "${name}" reached)
        foreach(f ${reached})
          if(f IN_LIST rule_${folder}_refused)
            set(problem "${f}/")
            break()
          endif()
        endforeach()
      endif()
      if(problem)
        message("${relative}:${number}: ${folder}/ includes ${problem}: ${line}")
        math(EXPR broken "${broken} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(broken GREATER 0)
  message(FATAL_ERROR "${broken} include(s) break the layer rules")
endif()
message("The includes keep the layer rules.")
