# SPDX-License-Identifier: BSD-3-Clause
# What `cmake --install` puts where, and the Debian packages CPack makes of it.
#
# Components: runtime (liblftm.so.0 and its plug-ins, the sibling libraries, in the private
# folder lftm<soversion>/ beside it), tool (the lftm program, the lftm-tune browser tuner
# beside it when built, and their manual pages), dev (headers, liblftm.so link, pkg-config and
# CMake package files) and, when it is built, python (the module). The folders come from
# LftmLayout.cmake. Every installed path is relative to the prefix, so a tree can be moved as
# a whole.
include(CMakePackageConfigHelpers)
include(${CMAKE_CURRENT_LIST_DIR}/LftmDebianFiles.cmake)

set(LFTM_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/lftm)
set(LFTM_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(TARGETS lftm EXPORT lftmTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
                NAMELINK_COMPONENT dev
        PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(EXPORT lftmTargets NAMESPACE lftm:: DESTINATION ${LFTM_CMAKE_DIR} COMPONENT dev)

# The library loads the siblings by full path from its plug-in folder.
if(TARGET Lumenforge_Tiff)
  install(TARGETS Lumenforge_Tiff Lumenforge32Lib1 Lumenforge32_jpg lfexr lfframe
          LIBRARY DESTINATION ${LFTM_PLUGIN_INSTALL_DIR} COMPONENT runtime)
endif()

if(TARGET lftm_tool)
  # lftm tune execs lftm-tune from lftm's own folder, so both go to the same bin/.
  set(tool_programs lftm_tool)
  if(TARGET lftm_tune_tool)
    list(APPEND tool_programs lftm_tune_tool)
  endif()
  # Linked to liblftm.so.0, the programs find it through a run path relative to their own
  # folder; linked statically, they need none (the loader finds the plug-ins by full path).
  set(tool_rpath "")
  if(LFTM_FRONT_ENDS_SHARED)
    file(RELATIVE_PATH bin_to_lib /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
    set(tool_rpath "\$ORIGIN/${bin_to_lib}")
  endif()
  set_target_properties(${tool_programs} PROPERTIES INSTALL_RPATH "${tool_rpath}")
  install(TARGETS ${tool_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
  lftm_install_man_page(lftm tool)
  if(TARGET lftm_tune_tool)
    lftm_install_man_page(lftm-tune tool)
  endif()
endif()

# lftm.pc names the prefix the tree is installed to, so it is written when it is installed.
install(CODE "
  set(LFTM_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  set(CMAKE_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR})
  set(CMAKE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
  set(PROJECT_VERSION ${PROJECT_VERSION})
  configure_file(${CMAKE_CURRENT_LIST_DIR}/lftm.pc.in ${CMAKE_BINARY_DIR}/install/lftm.pc @ONLY)"
  COMPONENT dev)
install(FILES ${CMAKE_BINARY_DIR}/install/lftm.pc DESTINATION ${LFTM_PC_DIR} COMPONENT dev)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/lftmConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/install/lftmConfig.cmake
                              INSTALL_DESTINATION ${LFTM_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/lftmConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/install/lftmConfig.cmake
              ${CMAKE_BINARY_DIR}/install/lftmConfigVersion.cmake
        DESTINATION ${LFTM_CMAKE_DIR} COMPONENT dev)

lftm_make_packaged_files()
include(${CMAKE_CURRENT_LIST_DIR}/LftmPackage.cmake)
