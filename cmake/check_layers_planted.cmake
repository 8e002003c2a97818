# Checks that check_layers.cmake catches a library that runs without the
# windows reaching for the window's state: a copy of the sources with
# mdl_karwen.h included in one file of each such folder must be refused,
# each file named.
# Run as: cmake -DSOURCE_DIR=<src> -DWORK_DIR=<scratch> -P check_layers_planted.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
file(COPY "${SOURCE_DIR}/" DESTINATION "${WORK_DIR}" FILES_MATCHING PATTERN "*.h" PATTERN "*.cpp" PATTERN "*.c")
set(planted batch/batch_plan.cpp canopy/threshold.cpp cli/csv_target.cpp)
foreach(file IN LISTS planted)
  file(APPEND "${WORK_DIR}/${file}" "#include \"mdl_karwen.h\"\n")
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(REMOVE_RECURSE "${WORK_DIR}")
if(status EQUAL 0)
  message(FATAL_ERROR "The layering check let mdl_karwen.h into batch, canopy and cli:\n${out}")
endif()
foreach(file IN LISTS planted)
  string(FIND "${out}" "${file}: includes mdl_karwen.h, the window's state" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The layering check did not name ${file}:\n${out}")
  endif()
endforeach()
message(STATUS "The layering check refuses the window's state in batch, canopy and cli.")
