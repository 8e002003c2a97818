# Installs the build into a fresh prefix and checks what a desktop needs:
# the programs, a valid desktop entry, the icons and the documents.
# Run as: cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder> -P check_install.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${installed})")
endif()

set(expected
  bin/karwen
  share/applications/karwen.desktop
  share/icons/hicolor/scalable/apps/karwen.svg
  share/icons/hicolor/48x48/apps/karwen.png
  share/icons/hicolor/256x256/apps/karwen.png
  share/doc/karwen/README.md
  share/doc/karwen/LICENSE
  share/doc/karwen/docs/screenshot.png)
if(EXPECT_CLI)
  list(APPEND expected bin/karwen-cli)
endif()
foreach(file IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

execute_process(COMMAND desktop-file-validate "${PREFIX}/share/applications/karwen.desktop"
                RESULT_VARIABLE valid OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT valid EQUAL 0)
  message(FATAL_ERROR "the desktop entry is not valid:\n${said}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "Installed and valid: ${expected}")
