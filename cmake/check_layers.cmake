# Checks that every source folder includes only what its layer may see:
#   - a folder includes headers of its own folder or of lower layers only;
#     folders on one layer (area and batch) do not include each other;
#   - another folder's headers are reached through that folder's include/
#     folder alone: the rest of a library is private to it;
#   - a header in an include/ folder includes no private header of its own
#     library, since the folders that include it could not find that one;
#   - every header in an include/ folder is needed outside its library:
#     another folder includes it, or another such needed header does;
#   - the Qt-free folders include no Qt header;
#   - the libraries that run without the windows (batch, canopy, cli) do not
#     include the window's state, mdl_karwen.h: they take what they read as
#     arguments, so that runs in parallel share nothing;
#   - a window's files (ui: the main window, the parameters window, the area
#     panel, the canopy window, the batch dialog) include no header of
#     another window: windows ask each other through the registry
#     (window_requests.h), which alone with its glue knows them all.
# Run as: cmake -DSOURCE_DIR=<src> -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)

# Lowest first; the executables' folder sits on top.
set(layer_files 0)
set(layer_light 0)
set(layer_imaging 1)
set(layer_projection 2)
set(layer_app 3)
set(layer_area 4)
set(layer_batch 4)
set(layer_canopy 5)
set(layer_cli 6)
set(layer_views 7)
set(layer_ui 8)
set(layer_main 9)
set(qt_free files light imaging projection app area batch canopy cli)
set(folders files light imaging projection app area batch canopy cli views ui main)
set(window_state mdl_karwen.h)
set(window_state_free batch canopy cli)
# The windows of ui, each with the pattern its files' names follow.
set(windows main_window format_window area_panel canopy_window batch_dialog)
set(window_files_main_window "^main_window\\.(h|cpp)$")
set(window_files_format_window "^format_window\\.(h|cpp)$")
set(window_files_area_panel "^area_panel\\.(h|cpp)$")
set(window_files_canopy_window "^canopy_window\\.(h|cpp)$")
set(window_files_batch_dialog "^batch_dialog(_[a-z_]+)?\\.(h|cpp)$")

# Which folder each header belongs to, and which headers each folder shows
# to the others.
set(all_public "")
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE headers "${SOURCE_DIR}/${folder}/*.h")
  foreach(header IN LISTS headers)
    get_filename_component(name "${header}" NAME)
    set(owner_${name} ${folder})
  endforeach()
  file(GLOB public_${folder} RELATIVE "${SOURCE_DIR}/${folder}/include" "${SOURCE_DIR}/${folder}/include/*.h")
  list(APPEND all_public ${public_${folder}})
endforeach()

# The quoted includes of one file, as file names.
function(quoted_includes source out)
  file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  set(names "")
  foreach(line IN LISTS lines)
    if(line MATCHES "\"([^\"]+)\"")
      get_filename_component(name "${CMAKE_MATCH_1}" NAME)
      list(APPEND names ${name})
    endif()
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

set(problems "")
set(needed "") # public headers that another folder includes
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.c")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
    file(STRINGS "${source}" qt_includes REGEX "^[ \t]*#[ \t]*include[ \t]*<Q[A-Za-z]*[>/]")
    if(qt_includes AND folder IN_LIST qt_free)
      foreach(line IN LISTS qt_includes)
        string(REGEX MATCH "Q[A-Za-z]*" qt_header "${line}")
        list(APPEND problems "${shown}: Qt header <${qt_header}> in a Qt-free folder")
      endforeach()
    endif()
    quoted_includes("${source}" names)
    foreach(name IN LISTS names)
      if(name STREQUAL window_state AND folder IN_LIST window_state_free)
        list(APPEND problems "${shown}: includes ${name}, the window's state, which ${folder} never reads")
      endif()
      set(owner "${owner_${name}}")
      if(owner STREQUAL "")
        continue() # a generated header or one of the system
      endif()
      if(owner STREQUAL folder)
        if(shown MATCHES "^${folder}/include/" AND NOT name IN_LIST public_${folder})
          list(APPEND problems "${shown}: includes ${name}, which is not in ${folder}/include")
        endif()
        continue()
      endif()
      if(NOT name IN_LIST public_${owner})
        list(APPEND problems "${shown}: includes ${name}, private to the ${owner} library")
        continue()
      endif()
      list(APPEND needed ${name})
      if(${layer_${owner}} GREATER ${layer_${folder}})
        list(APPEND problems "${shown}: includes ${name} of the higher folder ${owner}")
      elseif(${layer_${owner}} EQUAL ${layer_${folder}})
        list(APPEND problems "${shown}: includes ${name} of ${owner}, a folder beside it")
      endif()
    endforeach()
  endforeach()
endforeach()

# The window a file of ui belongs to; "" for the registry, its glue and
# the windows' parts.
function(window_of name out)
  set(found "")
  foreach(window IN LISTS windows)
    if(name MATCHES "${window_files_${window}}")
      set(found ${window})
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE ui_sources "${SOURCE_DIR}/ui/*.h" "${SOURCE_DIR}/ui/*.cpp")
foreach(source IN LISTS ui_sources)
  get_filename_component(name "${source}" NAME)
  window_of("${name}" window)
  if(window STREQUAL "")
    continue()
  endif()
  file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
  quoted_includes("${source}" names)
  foreach(included IN LISTS names)
    if(NOT "${owner_${included}}" STREQUAL "ui")
      continue()
    endif()
    window_of("${included}" other)
    if(NOT other STREQUAL "" AND NOT other STREQUAL window)
      list(APPEND problems "${shown}: includes ${included} of the ${other} window, another window")
    endif()
  endforeach()
endforeach()

# A public header that a needed public header of its library includes is
# needed as well: the other folders reach it through that one.
set(frontier ${needed})
while(frontier)
  set(next "")
  foreach(name IN LISTS frontier)
    set(owner "${owner_${name}}")
    quoted_includes("${SOURCE_DIR}/${owner}/include/${name}" names)
    foreach(inner IN LISTS names)
      if("${owner_${inner}}" STREQUAL owner AND inner IN_LIST public_${owner} AND NOT inner IN_LIST needed)
        list(APPEND needed ${inner})
        list(APPEND next ${inner})
      endif()
    endforeach()
  endforeach()
  set(frontier ${next})
endwhile()
foreach(name IN LISTS all_public)
  if(NOT name IN_LIST needed)
    list(APPEND problems "${owner_${name}}/include/${name}: no other folder includes it, so it belongs beside the sources")
  endif()
endforeach()

if(problems)
  list(REMOVE_DUPLICATES problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Layering broken:\n  ${text}")
endif()
message(STATUS "Every folder includes only what its layer may see, through the include/ folders, and no window includes another.")
