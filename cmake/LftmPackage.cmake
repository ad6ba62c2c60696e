# SPDX-License-Identifier: BSD-3-Clause
# Debian packages, one per component: liblftm0, lftm (the tool), liblftm-dev and python3-lftm,
# stripped like a distribution's, each with its copyright file and changelog. dpkg-shlibdeps
# finds the run-time packages of the linked libraries; without it, they are those of Debian 12.
set(CPACK_PACKAGE_NAME lftm)
set(CPACK_PACKAGE_VENDOR "lftm developers")
set(CPACK_PACKAGE_CONTACT "${LFTM_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installed for /usr under DESTDIR, so that the prefix the files see (lftm.pc) is /usr.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL runtime tool dev)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${LFTM_DEBIAN_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LFTM_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LFTM_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(cxx_runtime "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11)")
find_program(LFTM_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(LFTM_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The tool links liblftm.so.0, which is in its sibling package, not on the system: the
  # search is pointed at the built library, and the component dependency names liblftm0.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
else()
  set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS
      "${cxx_runtime}, libhwy1 (>= 1.0.3), libtiff6 (>= 4.5.0), libjpeg62-turbo (>= 1:2.0.2), libopenexr-3-1-30 (>= 3.1.5), libimath-3-1-29 (>= 3.1.6)")
  set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${cxx_runtime}, libhwy1 (>= 1.0.3)")
  if(TARGET lftm_tune_tool)
    string(APPEND CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS ", libcpp-httplib0.11 (>= 0.11.4+ds)")
  endif()
endif()
# liblftm0's control files: the symbols and shlibs of liblftm.so.0 and the ldconfig trigger.
# The postinst and postrm named here do not exist: naming them keeps CPack from writing
# maintainer scripts that call ldconfig, which the trigger does instead.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
    ${LFTM_PACKAGING_DIR}/symbols ${LFTM_PACKAGING_DIR}/shlibs ${LFTM_PACKAGING_DIR}/triggers
    ${LFTM_PACKAGING_DIR}/no-scripts/postinst ${LFTM_PACKAGING_DIR}/no-scripts/postrm)
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
lftm_install_package_docs(liblftm0 runtime)
lftm_install_package_docs(liblftm-dev dev)
if(TARGET lftm_tool)
  lftm_install_package_docs(lftm tool)
endif()
if(TARGET lftm_python)
  lftm_install_package_docs(python3-lftm python)
endif()
# Each package's description: its summary line, then the long description, whose lines CPack
# indents and whose empty lines it writes as " .".
set(about "lftm tone maps high-dynamic-range photographs (Radiance, OpenEXR, TIFF)
into 8-bit or 16-bit JPEG and TIFF images with two methods, a gradient-domain
Texture Booster and a single-pass Range Squeezer.
")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "tone mapping library for high-dynamic-range photographs\n${about}
This package holds the shared library and its private TIFF, JPEG and OpenEXR
plug-ins.")
set(CPACK_COMPONENT_TOOL_DESCRIPTION
    "command-line tone mapping of high-dynamic-range photographs\n${about}
This package holds the lftm program and the lftm-tune browser tuner.")
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "tone mapping library for high-dynamic-range photographs (development files)\n${about}
This package holds the headers, the pkg-config file and the CMake package.")
set(CPACK_COMPONENT_PYTHON_DESCRIPTION
    "tone mapping of high-dynamic-range photographs for Python 3\n${about}
This package holds the Python 3 module lftm (numpy arrays and files).")
# The tool loads the sibling libraries of the runtime package; the headers and the module
# need the library (of the same version).
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_PYTHON_DEPENDS runtime)
include(CPack)
