# One command-line test of vasquil-batch convert, run with cmake -P.
# Variables: CASE, BATCH (the runner), CHECK (convert_check), GEOMETRY (the sample geometry),
# WORK (scratch folder).
include(${CMAKE_CURRENT_LIST_DIR}/batch_common.cmake)

# Runs the converted model steady for the given passes with its database; the last pass must
# have converged, and convert_check must find the discharge Q at every node and the outlet at
# its boundary stage.
function(expect_steady model passes discharge)
  expect_success(run "${model}" --steady --passes ${passes} --db steady.db)
  string(REGEX MATCHALL "pass +[0-9]+[^\n]*" lines "${out}")
  list(LENGTH lines count)
  expect_equal("steady passes" "${count}" "${passes}")
  list(GET lines -1 last)
  if(last MATCHES "not converged")
    message(FATAL_ERROR "the last steady pass did not converge: ${last}")
  endif()
  check(steady "${WORK}/${model}" "${WORK}/steady.db" ${discharge})
  set(RESULT "${RESULT}" PARENT_SCOPE)
endfunction()

if(CASE STREQUAL "first_reach_runs_steady")
  expect_success(convert "${GEOMETRY}" bow.vqx --depth 2 --discharge 50)
  foreach(note
      "Reach \"Bow River,Upper\": 6 cross sections converted into nodes 1 to 6."
      "Left out: reach \"Bow River,Lower\" with 3 cross sections."
      "Left out: junction \"Bow Forks\""
      "Left out: structure of type 3 at river station 1.3")
    string(FIND "${out}" "${note}" at)
    if(at LESS 0)
      message(FATAL_ERROR "the notes lack '${note}':\n${out}")
    endif()
  endforeach()
  expect_equal("standard error" "${err}" "")
  expect_steady(bow.vqx 40 50)
  # The outlet is the last section's thalweg (99 m) plus the depth.
  expect_equal("steady run" "${RESULT}" "nodes 6 outlet 101.0000")
elseif(CASE STREQUAL "imperial_second_reach")
  expect_success(convert "${GEOMETRY}" lower.vqx --depth=3 --discharge=200 --imperial --reach "Bow River,Lower")
  if(NOT out MATCHES "3 cross sections have no cut line: the nodes lie on a straight line \\(easting = station x 5280")
    message(FATAL_ERROR "no note of the straight line:\n${out}")
  endif()
  # Two channel lengths of 200 ft: 400 ft, 121.92 m (the stations are written in miles with six
  # decimals).
  check(model "${WORK}/lower.vqx")
  expect_equal("model" "${RESULT}" "nodes 3 units 0 length 121.92")
  expect_steady(lower.vqx 40 200)
elseif(CASE STREQUAL "failure_keeps_the_model")
  file(WRITE "${WORK}/model.vqx" "a model that must stay\n")
  file(WRITE "${WORK}/one.g01"
    "Type RM Length L Ch R = 1 ,5       ,100,100,100\n#Sta/Elev= 2 \n       0     101      10     101\n"
    "#Mann= 3 , 0 , 0 \n       0     .05       0       0     .03       0      10     .05       0\n")
  expect_failure(1 "the HEC-RAS geometry file 'one.g01' could not be converted: the reach \\(unnamed\\) holds 1 cross section"
    convert one.g01 model.vqx --depth 1 --discharge 5)
  expect_failure(1 "the HEC-RAS geometry file 'missing.g01' could not be converted: the geometry file 'missing.g01' cannot be opened: there is no such file"
    convert missing.g01 model.vqx --depth 1 --discharge 5)
  file(COPY_FILE "${GEOMETRY}" "${WORK}/copy.g01")
  expect_failure(1 "the HEC-RAS geometry file 'copy.g01' could not be converted: the geometry file 'copy.g01' and the model file 'copy.g01' are the same file"
    convert copy.g01 copy.g01 --depth 1 --discharge 5)
  file(READ "${GEOMETRY}" original)
  file(READ "${WORK}/copy.g01" copied)
  expect_equal("the geometry file" "${copied}" "${original}")
  file(MAKE_DIRECTORY "${WORK}/folder.vqx")
  expect_failure(1 "the HEC-RAS geometry file '.*sample-geometry.g01' could not be converted: the model file 'folder.vqx' is a directory"
    convert "${GEOMETRY}" folder.vqx --depth 1 --discharge 5)
  file(READ "${WORK}/model.vqx" kept)
  expect_equal("the model" "${kept}" "a model that must stay\n")
  file(GLOB leftovers "${WORK}/*.tmp*")
  expect_equal("temporary files" "${leftovers}" "")
elseif(CASE STREQUAL "bad_command_lines")
  expect_failure(2 "convert needs --depth" convert "${GEOMETRY}" m.vqx --discharge 5)
  expect_failure(2 "convert needs --discharge" convert "${GEOMETRY}" m.vqx --depth 1)
  expect_failure(2 "option --depth needs a depth greater than 0, not '0'" convert "${GEOMETRY}" m.vqx --depth 0 --discharge 5)
  expect_failure(2 "option --discharge needs a number, not 'lots'" convert "${GEOMETRY}" m.vqx --depth 1 --discharge lots)
  expect_failure(2 "convert needs a geometry file and a model file" convert "${GEOMETRY}" --depth 1 --discharge 5)
  expect_failure(2 "unexpected argument 'x.vqx'" convert "${GEOMETRY}" m.vqx x.vqx --depth 1 --discharge 5)
  expect_failure(2 "option --reach needs a river and a reach name" convert "${GEOMETRY}" m.vqx --depth 1 --discharge 5 --reach Bow)
  expect_failure(2 "unknown option '--fast'" convert "${GEOMETRY}" m.vqx --depth 1 --discharge 5 --fast)
  if(EXISTS "${WORK}/m.vqx")
    message(FATAL_ERROR "a refused command line wrote a model")
  endif()
else()
  message(FATAL_ERROR "unknown case ${CASE}")
endif()
