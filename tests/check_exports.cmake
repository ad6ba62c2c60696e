# SPDX-License-Identifier: BSD-3-Clause
# Compares the dynamic symbols that liblftm.so defines with the functions of lftm.h.
execute_process(COMMAND nm -D --defined-only ${LIB} OUTPUT_VARIABLE nm_out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIB}")
endif()
file(READ ${HEADER} header)
file(READ ${HOST_HEADER} host_header)
string(APPEND header "${host_header}")
string(REGEX MATCHALL "LFTM_EXPORT (int32_t|const char\\*) [A-Za-z_0-9]+\\(" decls "${header}")
set(declared)
foreach(d IN LISTS decls)
  string(REGEX REPLACE "LFTM_EXPORT (int32_t|const char\\*) ([A-Za-z_0-9]+)\\(" "\\2" name "${d}")
  list(APPEND declared ${name})
endforeach()
list(LENGTH declared n_declared)
# The 22 functions of version node LFTM_0, lftm_version and lftm_strerror of LFTM_1, the
# six functions of lftm_host.h of LFTM_2, the four file checks and settings functions of
# LFTM_3, and in LFTM_4 the five run estimate and file rule functions, the eleven photo
# functions, the ten settings-table functions, the five merging functions and the input
# diagnosis.
if(NOT n_declared EQUAL 66)
  message(FATAL_ERROR "lftm.h and lftm_host.h declare ${n_declared} functions, expected 66")
endif()
string(REGEX MATCHALL "[0-9a-f]+ [TtDdBbRrVvWw] [A-Za-z_0-9@.]+" lines "${nm_out}")
set(exported)
foreach(l IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-f]+ [A-Za-z] ([A-Za-z_0-9]+).*" "\\1" sym "${l}")
  if(NOT sym MATCHES "^LFTM_[0-9]+$")  # the version nodes of src/lftm.map
    list(APPEND exported ${sym})
  endif()
endforeach()
foreach(sym IN LISTS exported)
  list(FIND declared ${sym} at)
  if(at EQUAL -1)
    message(FATAL_ERROR "liblftm.so exports ${sym}, which lftm.h does not declare")
  endif()
endforeach()
foreach(name IN LISTS declared)
  list(FIND exported ${name} at)
  if(at EQUAL -1)
    message(FATAL_ERROR "liblftm.so does not export ${name}")
  endif()
endforeach()
