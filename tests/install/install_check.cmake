# cmake -DBUILD_DIR=<build> -DPREFIX=<empty folder to install into> -P install_check.cmake

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "install check: ${text}")
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  fail("cmake --install failed (${rc}):\n${out}")
endif()

# The program, and it starts from where it was installed.
set(program "${PREFIX}/bin/tessary")
if(NOT EXISTS "${program}")
  fail("no ${program}")
endif()
# The tag reader the window asks, where the program finds it.
if(NOT EXISTS "${PREFIX}/libexec/tessary/tessary-reader")
  fail("no ${PREFIX}/libexec/tessary/tessary-reader")
endif()
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{TESSARY_QUIT_AFTER_START} 1)
set(ENV{XDG_CONFIG_HOME} "${PREFIX}/test-config")
execute_process(COMMAND "${program}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out
                TIMEOUT 60)
if(NOT rc EQUAL 0)
  fail("the installed program did not start and quit cleanly (${rc}):\n${out}")
endif()

# The batch mode: tessary --plan starts the tessary-batch installed beside
# it, which needs no display.
unset(ENV{QT_QPA_PLATFORM})
unset(ENV{DISPLAY})
execute_process(COMMAND "${program}" --plan --help RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE out TIMEOUT 60)
if(NOT rc EQUAL 0 OR NOT out MATCHES "--plan")
  fail("the installed tessary --plan --help did not run tessary-batch (${rc}):\n${out}")
endif()
set(ENV{QT_QPA_PLATFORM} offscreen)

# The menu entry: names in English and Russian, the audio/video menu, and an
# Exec and Icon that point at what was installed.
set(entry "${PREFIX}/share/applications/tessary.desktop")
if(NOT EXISTS "${entry}")
  fail("no ${entry}")
endif()
# Lists in the entry are ";"-separated, which CMake would split on: read them
# with "," instead.
file(READ "${entry}" text)
string(REPLACE ";" "," text "${text}")
string(REPLACE "\n" ";" lines "${text}")
list(GET lines 0 first)
if(NOT first STREQUAL "[Desktop Entry]")
  fail("the desktop entry does not start with its [Desktop Entry] group")
endif()
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Za-z]+(\\[[a-zA-Z_@]+\\])?)=(.*)$")
    set("key_${CMAKE_MATCH_1}" "${CMAKE_MATCH_3}")
  endif()
endforeach()
foreach(key Type Name Name[ru] Exec Icon Categories)
  if("${key_${key}}" STREQUAL "")
    fail("the desktop entry has no ${key}")
  endif()
endforeach()
if(NOT key_Type STREQUAL "Application")
  fail("Type is ${key_Type}")
endif()
if(NOT key_Categories MATCHES "(^|,)AudioVideo(,|$)")
  fail("Categories '${key_Categories}' lack AudioVideo")
endif()
string(REGEX REPLACE " .*" "" exec "${key_Exec}")
if(NOT exec STREQUAL "tessary")
  fail("Exec starts '${exec}', not the installed program's name")
endif()
file(GLOB icons "${PREFIX}/share/icons/hicolor/*/apps/${key_Icon}.svg"
                "${PREFIX}/share/icons/hicolor/*/apps/${key_Icon}.png")
if(NOT icons)
  fail("no hicolor icon named '${key_Icon}'")
endif()
foreach(icon IN LISTS icons)
  file(SIZE "${icon}" size)
  if(size EQUAL 0)
    fail("empty icon ${icon}")
  endif()
endforeach()

find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND "${VALIDATE}" "${entry}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR out MATCHES "error:")
    fail("desktop-file-validate:\n${out}")
  endif()
else()
  message(STATUS "desktop-file-validate not installed; checked the entry's keys only")
endif()

# The help document, under the documentation folder.
file(GLOB help "${PREFIX}/share/doc/*/help/*.html")
if(NOT help)
  fail("no help document under ${PREFIX}/share/doc/*/help")
endif()
foreach(page IN LISTS help)
  file(READ "${page}" text LIMIT 4096)
  if(NOT text MATCHES "<html")
    fail("${page} is not an HTML document")
  endif()
endforeach()

message(STATUS "installed and checked: ${PREFIX}")
