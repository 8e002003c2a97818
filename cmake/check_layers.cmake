# Checks that every source folder includes only what its layer may see:
#   - a folder includes headers of its own folder or of lower layers only;
#     folders on one layer (area and batch) do not include each other;
#   - the imaging library is reached through its include/ folder alone;
#   - the Qt-free folders include no Qt header.
# Run as: cmake -DSOURCE_DIR=<src> -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)

# Lowest first; the executables' folder sits on top.
set(layer_files 0)
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
set(qt_free files imaging projection app area batch canopy cli)
set(folders files imaging projection app area batch canopy cli views ui main)

# The imaging library's public headers.
file(GLOB imaging_public RELATIVE "${SOURCE_DIR}/imaging/include" "${SOURCE_DIR}/imaging/include/*.h")

# Which folder each header belongs to.
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE headers "${SOURCE_DIR}/${folder}/*.h")
  foreach(header IN LISTS headers)
    get_filename_component(name "${header}" NAME)
    set(owner_${name} ${folder})
  endforeach()
endforeach()

set(problems "")
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.c")
  foreach(source IN LISTS sources)
    file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      if(line MATCHES "<(Q[A-Za-z]*)[>/]")
        if(folder IN_LIST qt_free)
          list(APPEND problems "${shown}: Qt header <${CMAKE_MATCH_1}> in a Qt-free folder")
        endif()
      elseif(line MATCHES "\"([^\"]+)\"")
        get_filename_component(name "${CMAKE_MATCH_1}" NAME)
        set(owner "${owner_${name}}")
        if(owner STREQUAL "" OR owner STREQUAL folder)
          continue()
        endif()
        if(owner STREQUAL "imaging" AND NOT name IN_LIST imaging_public)
          list(APPEND problems "${shown}: includes ${name}, private to the imaging library")
        elseif(${layer_${owner}} GREATER ${layer_${folder}})
          list(APPEND problems "${shown}: includes ${name} of the higher folder ${owner}")
        elseif(${layer_${owner}} EQUAL ${layer_${folder}})
          list(APPEND problems "${shown}: includes ${name} of ${owner}, a folder beside it")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Layering broken:\n  ${text}")
endif()
message(STATUS "Every folder includes only what its layer may see.")
