# SPDX-License-Identifier: BSD-3-Clause
# Installs a build into a scratch prefix, moves the prefix (an installed tree must not depend
# on where it was put), then builds tests/consumer twice against it, through pkg-config and
# through find_package(lftm), and runs both programs and the installed lftm tool without
# LD_LIBRARY_PATH.
#
# cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DC_COMPILER=... -DGENERATOR=...
#       -DLIBDIR=lib/<triplet> -DPLUGIN_DIR=lib/<triplet>/lftm0 [-DPKG_CONFIG=...] [-DTUNER=1]
#       -P consumer_test.cmake
set(sample ${SOURCE_DIR}/samples/golden_gate.hdr)
set(staging ${WORK_DIR}/staging)
set(prefix ${WORK_DIR}/prefix)

# Runs a command and stops the test with its output when it fails.
function(run what)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${ARGN}\n${out}${err}")
  endif()
  message(STATUS "${what}: ok ${out}")
endfunction()

function(expect_file path)
  if(NOT EXISTS ${path})
    message(FATAL_ERROR "missing ${path}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
# Installed for /opt/lftm under DESTDIR, as a package is made, then moved elsewhere.
run("install" ${CMAKE_COMMAND} -E env DESTDIR=${staging}
    ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /opt/lftm)
file(RENAME ${staging}/opt/lftm ${prefix})

foreach(f ${LIBDIR}/liblftm.so ${LIBDIR}/liblftm.so.0 include/lftm.h include/lftm_host.h
          bin/lftm share/man/man1/lftm.1.gz share/doc/liblftm0/copyright
          share/doc/liblftm0/changelog.Debian.gz ${LIBDIR}/pkgconfig/lftm.pc
          ${LIBDIR}/cmake/lftm/lftmConfig.cmake ${LIBDIR}/cmake/lftm/lftmConfigVersion.cmake
          ${PLUGIN_DIR}/libLumenforge_Tiff.so ${PLUGIN_DIR}/libLumenforge32Lib1.so
          ${PLUGIN_DIR}/libLumenforge32_jpg.so ${PLUGIN_DIR}/liblfexr.so)
  expect_file(${prefix}/${f})
endforeach()

# No installed file names the build tree: not the text files, not an ELF run path. (Debug
# information may name the sources; the Debian packages are stripped.)
file(GLOB_RECURSE installed LIST_DIRECTORIES false ${prefix}/*)
foreach(f IN LISTS installed)
  file(READ ${f} head LIMIT 4 HEX)
  if(head STREQUAL "7f454c46")
    file(READ_ELF ${f} RPATH rpath RUNPATH runpath)
    set(text "${rpath} ${runpath}")
  else()
    file(READ ${f} text)
  endif()
  string(FIND "${text}" "${BUILD_DIR}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${f} names the build tree ${BUILD_DIR}")
  endif()
endforeach()

# The installed tool finds the sibling libraries in its plug-in folder by full path.
run("installed lftm tool" ${prefix}/bin/lftm -q ${sample} ${WORK_DIR}/tool.tif)
expect_file(${WORK_DIR}/tool.tif)
# A build with the tuner installs lftm-tune beside lftm, where `lftm tune` finds it.
if(TUNER)
  run("installed lftm tune" ${prefix}/bin/lftm tune --help)
endif()

# find_package(lftm): CMake gives the program a run path to the imported library.
run("configure the CMake consumer" ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}
    -B ${WORK_DIR}/cmake-consumer -G ${GENERATOR} -DCMAKE_C_COMPILER=${C_COMPILER}
    -DCMAKE_PREFIX_PATH=${prefix})
run("build the CMake consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-consumer)
run("CMake consumer" ${WORK_DIR}/cmake-consumer/consumer ${sample} ${WORK_DIR}/cmake.tif)

# pkg-config, told where the tree now is: as for any library outside the linker's search
# path, the program is linked with a run path to it.
if(NOT PKG_CONFIG)
  message(STATUS "SKIPPED: the pkg-config consumer needs pkg-config (apt-get install pkg-config)")
  return()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${prefix}/${LIBDIR}/pkgconfig
                        ${PKG_CONFIG} --define-variable=prefix=${prefix} --cflags --libs lftm
                RESULT_VARIABLE rc OUTPUT_VARIABLE flags ERROR_VARIABLE err
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "pkg-config --cflags --libs lftm failed:\n${err}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
run("build the pkg-config consumer" ${C_COMPILER} ${CMAKE_CURRENT_LIST_DIR}/consumer.c ${flags}
    -Wl,-rpath,${prefix}/${LIBDIR} -o ${WORK_DIR}/pc-consumer)
run("pkg-config consumer" ${WORK_DIR}/pc-consumer ${sample} ${WORK_DIR}/pc.tif)
