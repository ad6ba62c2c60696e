# SPDX-License-Identifier: BSD-3-Clause
# lftm_docs: the reference documentation of include/, built with Doxygen into build/docs/html.
# Not part of ALL. Every undocumented public item or parameter is a warning, and any warning
# fails the target, so the header cannot lose its documentation unnoticed.
find_package(Doxygen QUIET)
set(LFTM_DOCS_OUTPUT ${CMAKE_BINARY_DIR}/docs)
if(DOXYGEN_FOUND)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${LFTM_DOCS_OUTPUT}/Doxyfile @ONLY)
  add_custom_target(lftm_docs
                    COMMAND Doxygen::doxygen ${LFTM_DOCS_OUTPUT}/Doxyfile
                    WORKING_DIRECTORY ${LFTM_DOCS_OUTPUT}
                    COMMENT "Documentation of include/ (warnings are errors)"
                    VERBATIM)
else()
  add_custom_target(lftm_docs
                    COMMAND ${CMAKE_COMMAND} -E echo "lftm_docs needs doxygen (apt-get install doxygen)"
                    COMMAND ${CMAKE_COMMAND} -E false
                    VERBATIM)
endif()
