# Checks that check_layers.cmake catches a library that runs without the
# windows reaching for the window's state, and a window reaching for another
# window: a copy of the sources with mdl_karwen.h included in one file of
# each such folder, and a window's header included in a source and in a
# header of other windows, must be refused, each file named.
# Run as: cmake -DSOURCE_DIR=<src> -DWORK_DIR=<scratch> -P check_layers_planted.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${WORK_DIR}")
file(COPY "${SOURCE_DIR}/" DESTINATION "${WORK_DIR}" FILES_MATCHING PATTERN "*.h" PATTERN "*.cpp" PATTERN "*.c")
set(planted batch/batch_plan.cpp canopy/threshold.cpp cli/csv_target.cpp)
foreach(file IN LISTS planted)
  file(APPEND "${WORK_DIR}/${file}" "#include \"mdl_karwen.h\"\n")
endforeach()
# Another window's header, in a source and in a header of a window: "file
# header window".
set(planted_windows
  "ui/format_window.cpp area_panel.h area_panel"
  "ui/canopy_window.h main_window.h main_window"
  "ui/area_panel.cpp batch_dialog_run.h batch_dialog")
# A header of the window's own parts stays allowed: "file header".
set(planted_own "ui/batch_dialog_layout.cpp batch_dialog_run.h")
foreach(entry IN LISTS planted_windows planted_own)
  separate_arguments(parts UNIX_COMMAND "${entry}")
  list(GET parts 0 file)
  list(GET parts 1 header)
  file(APPEND "${WORK_DIR}/${file}" "#include \"${header}\"\n")
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(REMOVE_RECURSE "${WORK_DIR}")
if(status EQUAL 0)
  message(FATAL_ERROR "The layering check let mdl_karwen.h into batch, canopy and cli, and windows into each other:\n${out}")
endif()
foreach(file IN LISTS planted)
  string(FIND "${out}" "${file}: includes mdl_karwen.h, the window's state" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The layering check did not name ${file}:\n${out}")
  endif()
endforeach()
foreach(entry IN LISTS planted_windows)
  separate_arguments(parts UNIX_COMMAND "${entry}")
  list(GET parts 0 file)
  list(GET parts 1 header)
  list(GET parts 2 window)
  string(FIND "${out}" "${file}: includes ${header} of the ${window} window, another window" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The layering check did not name ${file} including ${header}:\n${out}")
  endif()
endforeach()
foreach(entry IN LISTS planted_own)
  separate_arguments(parts UNIX_COMMAND "${entry}")
  list(GET parts 0 file)
  list(GET parts 1 header)
  string(FIND "${out}" "${file}: includes ${header}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "The layering check refused ${file}, a part of the window ${header} belongs to:\n${out}")
  endif()
endforeach()
message(STATUS "The layering check refuses the window's state in batch, canopy and cli, and one window's header in another window.")
