# SPDX-License-Identifier: BSD-3-Clause
# The hardening a distribution builds its packages with, in optimised builds: checked string
# and memory calls, stack protectors, and a read-only relocation table bound at load time.
# Sanitizer and fuzz builds keep their own instrumentation and are left alone; none of these
# flags changes how floating-point code is compiled.
if(NOT LFTM_SANITIZE AND NOT LFTM_TSAN AND NOT LFTM_BUILD_FUZZ)
  set(optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  add_compile_options("$<${optimised}:-D_FORTIFY_SOURCE=2>"
                      "$<${optimised}:-fstack-protector-strong>")
  add_link_options("$<${optimised}:LINKER:-z,relro,-z,now>")
endif()
