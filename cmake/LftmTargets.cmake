# SPDX-License-Identifier: BSD-3-Clause
# How every part of liblftm is defined.
#
# lftm_component(<name> SOURCES ...) makes the OBJECT library lftm_<name>; liblftm.so is built
# from all components, and lftm_internal (a static library of the same objects) serves the
# tests, benchmarks, fuzzers and the command-line tool.
#
# lftm_test(<name> SOURCES ... COMPONENTS ...) makes one GoogleTest binary that links only the
# listed components, so a test builds as soon as the parts it needs compile. Every test links
# the shared test helpers (lftm_test_support, tests/support).

function(lftm_component name)
  cmake_parse_arguments(C "" "" "SOURCES" ${ARGN})
  add_library(lftm_${name} OBJECT ${C_SOURCES})
  target_include_directories(lftm_${name} PUBLIC ${PROJECT_SOURCE_DIR}/include
                                                 ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(lftm_${name} PUBLIC Threads::Threads ${CMAKE_DL_LIBS})
  set_property(GLOBAL APPEND PROPERTY LFTM_COMPONENTS lftm_${name})
endfunction()

function(lftm_define_shared_library)
  get_property(components GLOBAL PROPERTY LFTM_COMPONENTS)
  set(objects)
  foreach(c IN LISTS components)
    list(APPEND objects $<TARGET_OBJECTS:${c}>)
  endforeach()

  add_library(lftm SHARED ${objects})
  target_include_directories(lftm PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
                                         $<INSTALL_INTERFACE:include>)
  target_link_libraries(lftm PRIVATE Threads::Threads ${CMAKE_DL_LIBS} m PkgConfig::HWY)
  set_target_properties(lftm PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${LFTM_SOVERSION}
                        PUBLIC_HEADER "${PROJECT_SOURCE_DIR}/include/lftm.h;${PROJECT_SOURCE_DIR}/include/lftm_host.h")
  target_link_options(lftm PRIVATE
                      -Wl,--version-script=${PROJECT_SOURCE_DIR}/src/lftm.map
                      -Wl,--exclude-libs=ALL)
  # Sanitizer runtimes are linked into programs, not shared libraries, so undefined references
  # are only refused in plain builds.
  if(NOT LFTM_SANITIZE AND NOT LFTM_TSAN AND NOT LFTM_BUILD_FUZZ)
    target_link_options(lftm PRIVATE -Wl,--no-undefined)
  endif()
  set_property(TARGET lftm APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/src/lftm.map)

  add_library(lftm_internal STATIC ${objects})
  target_include_directories(lftm_internal PUBLIC ${PROJECT_SOURCE_DIR}/include
                                                  ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(lftm_internal PUBLIC Threads::Threads ${CMAKE_DL_LIBS} m PkgConfig::HWY)
endfunction()

function(lftm_test name)
  if(NOT LFTM_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;COMPONENTS;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  foreach(c IN LISTS T_COMPONENTS)
    target_link_libraries(${name} PRIVATE lftm_${c})
  endforeach()
  target_link_libraries(${name} PRIVATE lftm_test_support ${T_LIBS} GTest::gtest GTest::gtest_main m)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "LFTM_TEST_DATA=${PROJECT_SOURCE_DIR}/samples")
endfunction()
