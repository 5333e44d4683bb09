# cmake -DBUILD_DIR=<build> -DOUT=<folder> -DVERSION=<x.y.z> -P package_check.cmake

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "package check: ${text}")
endfunction()

file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
get_filename_component(cmake_bin "${CMAKE_COMMAND}" DIRECTORY)
find_program(CPACK cpack HINTS "${cmake_bin}" REQUIRED)
execute_process(COMMAND "${CPACK}" -G DEB -B "${OUT}" --config "${BUILD_DIR}/CPackConfig.cmake"
                WORKING_DIRECTORY "${BUILD_DIR}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  fail("cpack failed (${rc}):\n${out}")
endif()
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(deb "${OUT}/tessary_${VERSION}_${arch}.deb")
if(NOT EXISTS "${deb}")
  file(GLOB made "${OUT}/*.deb")
  fail("no ${deb}; made: ${made}")
endif()

# What it installs.
execute_process(COMMAND dpkg-deb --contents "${deb}" OUTPUT_VARIABLE contents RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  fail("dpkg-deb --contents failed")
endif()
foreach(path
    ./usr/bin/tessary
    ./usr/bin/tessary-batch
    ./usr/libexec/tessary/tessary-reader
    ./usr/share/applications/tessary.desktop
    ./usr/share/icons/hicolor/128x128/apps/tessary.png
    ./usr/share/metainfo/org.morvane.tessary.metainfo.xml
    ./usr/share/man/man1/tessary.1.gz
    ./usr/share/doc/tessary/copyright
    ./usr/share/doc/tessary/changelog.gz
    ./usr/share/doc/tessary/help/tessary_ru.html
    ./usr/share/doc/tessary/help/tessary_en.html
    ./usr/share/tessary/translations/tessary_en.qm)
  string(FIND "${contents}" " ${path}\n" at)
  if(at EQUAL -1)
    fail("the package lacks ${path}:\n${contents}")
  endif()
endforeach()
foreach(unwanted tst_ bench_ /usr/local/)
  string(FIND "${contents}" "${unwanted}" at)
  if(NOT at EQUAL -1)
    fail("the package holds '${unwanted}':\n${contents}")
  endif()
endforeach()

# Its control fields: name, version, architecture, and dependencies that
# pull in lame and the Qt libraries the binary links.
execute_process(COMMAND dpkg-deb --field "${deb}" Package Version Architecture Depends Section
                OUTPUT_VARIABLE fields)
foreach(want "Package: tessary" "Version: ${VERSION}" "Architecture: ${arch}" "Section: sound")
  string(FIND "${fields}" "${want}" at)
  if(at EQUAL -1)
    fail("control field '${want}' missing:\n${fields}")
  endif()
endforeach()
foreach(dep lame libqt6widgets6 libqt6core6 libc6)
  if(NOT fields MATCHES "Depends:[^\n]*${dep}")
    fail("Depends lacks ${dep}:\n${fields}")
  endif()
endforeach()

# lintian: no error (warnings are reported, not failed on).
find_program(LINTIAN lintian)
if(LINTIAN)
  execute_process(COMMAND "${LINTIAN}" --tag-display-limit 0 "${deb}"
                  OUTPUT_VARIABLE report ERROR_VARIABLE report)
  message(STATUS "lintian:\n${report}")
  if(report MATCHES "(^|\n)E: ")
    fail("lintian reports errors:\n${report}")
  endif()
else()
  message(STATUS "lintian not installed; its check skipped")
endif()
