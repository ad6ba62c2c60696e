# SPDX-License-Identifier: BSD-3-Clause
# Where an installed tree puts things, decided before any target is defined.
#
# On a multiarch system (Debian and its derivatives) the library goes to lib/<triplet>
# whatever the prefix, so that the packages and a plain `cmake --install` agree and a second
# architecture's library can sit beside it. The private plug-ins (the sibling imaging
# libraries) go to a folder named with the soname, lftm<soversion>, inside the library folder,
# so that the plug-ins of a later soname can be installed beside them.
set(LFTM_SOVERSION 0)
if(CMAKE_LIBRARY_ARCHITECTURE AND NOT DEFINED CMAKE_INSTALL_LIBDIR)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}
      CACHE PATH "Object code libraries (lib/<multiarch triplet>)")
endif()
include(GNUInstallDirs)
set(LFTM_PLUGIN_DIR_NAME lftm${LFTM_SOVERSION})
set(LFTM_PLUGIN_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/${LFTM_PLUGIN_DIR_NAME})
# A program that links the library statically (bin/) finds the installed plug-ins here.
file(RELATIVE_PATH LFTM_BIN_TO_PLUGINS /${CMAKE_INSTALL_BINDIR} /${LFTM_PLUGIN_INSTALL_DIR})

# Tells the sibling loader (src/platform) where an installed tree keeps the plug-ins.
function(lftm_tell_loader_plugin_folders)
  set_property(SOURCE ${PROJECT_SOURCE_DIR}/src/platform/sibling_loader.cc
               TARGET_DIRECTORY lftm_platform APPEND PROPERTY COMPILE_DEFINITIONS
               LFTM_PLUGIN_DIR_NAME="${LFTM_PLUGIN_DIR_NAME}"
               LFTM_BIN_TO_PLUGINS="${LFTM_BIN_TO_PLUGINS}")
endfunction()
