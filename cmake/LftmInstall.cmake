# What `cmake --install` puts where, and the Debian packages CPack makes of it.
#
# Components: runtime (liblftm.so.0 and the sibling libraries in the private lib/lftm/),
# tool (the lftm program, the lftm-tune browser tuner beside it when built, and the manual
# page), dev (header, liblftm.so link, pkg-config and CMake package files) and, when it is
# built, python (the module). Every installed path
# is relative to the prefix, so a tree can be moved as a whole.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(LFTM_SIBLING_DIR ${CMAKE_INSTALL_LIBDIR}/lftm)
set(LFTM_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/lftm)
set(LFTM_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS lftm EXPORT lftmTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
                NAMELINK_COMPONENT dev
        PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(EXPORT lftmTargets NAMESPACE lftm:: DESTINATION ${LFTM_CMAKE_DIR} COMPONENT dev)

# The drivers load the siblings by their fixed file names from lftm/ beside liblftm.so.
if(TARGET Lumenforge_Tiff)
  install(TARGETS Lumenforge_Tiff Lumenforge32Lib1 Lumenforge32_jpg lfexr lfframe
          LIBRARY DESTINATION ${LFTM_SIBLING_DIR} COMPONENT runtime)
endif()

if(TARGET lftm_tool)
  # The tool links the library statically; its run path leads to the siblings.
  file(RELATIVE_PATH tool_to_siblings /${CMAKE_INSTALL_BINDIR} /${LFTM_SIBLING_DIR})
  # lftm tune execs lftm-tune from lftm's own folder, so both go to the same bin/.
  set(tool_programs lftm_tool)
  if(TARGET lftm_tune_tool)
    list(APPEND tool_programs lftm_tune_tool)
  endif()
  set_target_properties(${tool_programs} PROPERTIES INSTALL_RPATH "\$ORIGIN/${tool_to_siblings}")
  install(TARGETS ${tool_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
  configure_file(${PROJECT_SOURCE_DIR}/tools/lftm/lftm.1.in ${CMAKE_BINARY_DIR}/install/lftm.1
                 @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/install/lftm.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT tool)
endif()

file(RELATIVE_PATH LFTM_PC_TO_PREFIX /${LFTM_PC_DIR} /)
string(REGEX REPLACE "/$" "" LFTM_PC_TO_PREFIX "${LFTM_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/lftm.pc.in ${CMAKE_BINARY_DIR}/install/lftm.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/install/lftm.pc DESTINATION ${LFTM_PC_DIR} COMPONENT dev)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/lftmConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/install/lftmConfig.cmake
                              INSTALL_DESTINATION ${LFTM_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/lftmConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/install/lftmConfig.cmake
              ${CMAKE_BINARY_DIR}/install/lftmConfigVersion.cmake
        DESTINATION ${LFTM_CMAKE_DIR} COMPONENT dev)

# Debian packages, one per component: liblftm0, lftm (the tool), liblftm-dev and python3-lftm,
# stripped like a distribution's. dpkg-shlibdeps finds the run-time packages of the linked libraries;
# without it, they are those of Debian 12.
set(CPACK_PACKAGE_NAME lftm)
set(CPACK_PACKAGE_VENDOR "lftm developers")
set(CPACK_PACKAGE_CONTACT "lftm developers <lftm@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "tone mapping of high-dynamic-range photographs into JPEG or TIFF images")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL runtime tool dev)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_STRIP_FILES ON)
set(cxx_runtime "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11)")
find_program(LFTM_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(LFTM_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS
      "${cxx_runtime}, libhwy1 (>= 1.0.3), libtiff6 (>= 4.5.0), libjpeg62-turbo (>= 1:2.0.2), libopenexr-3-1-30 (>= 3.1.5), libimath-3-1-29 (>= 3.1.6)")
  set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${cxx_runtime}, libhwy1 (>= 1.0.3)")
  if(TARGET lftm_tune_tool)
    string(APPEND CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS ", libcpp-httplib0.11 (>= 0.11.4+ds)")
  endif()
endif()
if(TARGET lftm_python)
  # The module is built for one interpreter ABI (its file name says cpython-3XY), so it loads
  # only in that minor version; numpy is imported when the module is. dpkg-shlibdeps cannot
  # see liblftm.so.0 in its sibling package: the component dependency names liblftm0.
  list(APPEND CPACK_COMPONENTS_ALL python)
  get_target_property(python_version lftm_python LFTM_PYTHON_VERSION)
  string(REGEX MATCH "[0-9]+$" python_minor ${python_version})
  math(EXPR python_next "${python_minor} + 1")
  string(REGEX REPLACE "[0-9]+$" ${python_next} python_next ${python_version})
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3 (>= ${python_version}), python3 (<< ${python_next}), python3-numpy, ${cxx_runtime}")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS OFF)
endif()
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME liblftm0)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME lftm)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME liblftm-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-lftm)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "lftm tone mapping library, with its TIFF, JPEG and OpenEXR libraries")
set(CPACK_COMPONENT_TOOL_DESCRIPTION "lftm command-line tone mapping tool")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "lftm tone mapping library: header, pkg-config and CMake package files")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION
    "lftm tone mapping library: Python 3 module (numpy arrays and files)")
# The tool loads the sibling libraries of the runtime package; the headers and the module
# need the library (of the same version).
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_PYTHON_DEPENDS runtime)
include(CPack)
