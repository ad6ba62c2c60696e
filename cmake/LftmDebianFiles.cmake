# SPDX-License-Identifier: BSD-3-Clause
# The files a distribution wants beside the programs: the licence as a machine-readable
# copyright file, the changelog made from NEWS.md, compressed and dated manual pages, and the
# control files of liblftm0 (symbols with each function's minimum version, shlibs, the
# ldconfig trigger). Everything is made in build/packaging/.
set(LFTM_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
set(LFTM_DEBIAN_REVISION 1)
find_program(LFTM_GZIP gzip REQUIRED)

# The release day of this version, from its heading in NEWS.md ("## 0.4.0 (2026-12-08)"); an
# unreleased version has none and its pages carry no day.
file(STRINGS ${PROJECT_SOURCE_DIR}/NEWS.md release_heading
     REGEX "^## ${PROJECT_VERSION} \\([0-9-]+\\)$")
string(REGEX REPLACE ".*\\(([0-9-]+)\\)$" "\\1" LFTM_RELEASE_DATE "${release_heading}")
if(NOT LFTM_RELEASE_DATE)
  message(WARNING "NEWS.md has no section \"## ${PROJECT_VERSION} (YYYY-MM-DD)\": the manual pages "
                  "carry no date and the Debian changelog ends before this version")
endif()

# copyright: the licence text of LICENSE, each line indented, blank lines as " .".
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX REPLACE "^.*All rights reserved\\.\n\n" "" licence "${licence}")
string(REGEX REPLACE "\n+$" "" licence "${licence}")
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " LFTM_LICENCE_TEXT " ${licence}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${LFTM_PACKAGING_DIR}/copyright @ONLY)

# shlibs asks for the version of the newest function in the symbols file.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/liblftm0.symbols symbol_lines REGEX "^ [^ ]+ [0-9.]+$")
set(LFTM_SHLIBS_MIN_VERSION 0)
foreach(line IN LISTS symbol_lines)
  string(REGEX REPLACE ".* " "" version "${line}")
  if(version VERSION_GREATER LFTM_SHLIBS_MIN_VERSION)
    set(LFTM_SHLIBS_MIN_VERSION ${version})
  endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/liblftm0.shlibs ${LFTM_PACKAGING_DIR}/shlibs @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/liblftm0.symbols ${LFTM_PACKAGING_DIR}/symbols
               COPYONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/liblftm0.triggers ${LFTM_PACKAGING_DIR}/triggers
               COPYONLY)

# Compressed as Debian wants them: gzip -9n (no name or time stamp, so the same bytes).
function(lftm_gzip source target)
  add_custom_command(OUTPUT ${target}
                     COMMAND ${LFTM_GZIP} -9nc ${source} > ${target}
                     DEPENDS ${source} VERBATIM)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY LFTM_PACKAGED_FILES ${target})
endfunction()

add_custom_command(OUTPUT ${LFTM_PACKAGING_DIR}/changelog.Debian
                   COMMAND ${PROJECT_SOURCE_DIR}/packaging/news_to_changelog.sh
                           ${PROJECT_SOURCE_DIR}/NEWS.md ${LFTM_DEBIAN_REVISION}
                           ${LFTM_MAINTAINER} > ${LFTM_PACKAGING_DIR}/changelog.Debian
                   DEPENDS ${PROJECT_SOURCE_DIR}/NEWS.md
                           ${PROJECT_SOURCE_DIR}/packaging/news_to_changelog.sh
                   VERBATIM)
lftm_gzip(${LFTM_PACKAGING_DIR}/changelog.Debian ${LFTM_PACKAGING_DIR}/changelog.Debian.gz)
lftm_gzip(${PROJECT_SOURCE_DIR}/NEWS.md ${LFTM_PACKAGING_DIR}/changelog.gz)

# A manual page of tools/lftm/<name>.1.in, installed compressed with the component.
function(lftm_install_man_page name component)
  configure_file(${PROJECT_SOURCE_DIR}/tools/lftm/${name}.1.in ${LFTM_PACKAGING_DIR}/${name}.1
                 @ONLY)
  lftm_gzip(${LFTM_PACKAGING_DIR}/${name}.1 ${LFTM_PACKAGING_DIR}/${name}.1.gz)
  install(FILES ${LFTM_PACKAGING_DIR}/${name}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${component})
endfunction()

# The documents every package carries in share/doc/<package>/.
function(lftm_install_package_docs package component)
  install(FILES ${LFTM_PACKAGING_DIR}/copyright ${LFTM_PACKAGING_DIR}/changelog.Debian.gz
                ${LFTM_PACKAGING_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endfunction()

# Makes the compressed files with every build, so that an install finds them.
function(lftm_make_packaged_files)
  get_property(files DIRECTORY ${PROJECT_SOURCE_DIR} PROPERTY LFTM_PACKAGED_FILES)
  add_custom_target(lftm_packaged_files ALL DEPENDS ${files})
endfunction()
