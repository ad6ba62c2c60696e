// SPDX-License-Identifier: BSD-3-Clause
// Stand-ins for sibling libraries that lack entry points, for the driver tests: built once
// with no entry point and once with only the first entry point of each reader.
#include <cstdint>

#include "lftm.h"

#ifdef LFTM_STUB_FIRST_ENTRIES
extern "C" LFTM_EXPORT int32_t infotif(const char*, int32_t, HdrFileInfo*) { return -1; }
extern "C" LFTM_EXPORT int32_t lfexr_dim(const char*, HdrFileInfo*) { return -1; }
#else
extern "C" LFTM_EXPORT int32_t lftm_stub_nothing_here() { return 0; }
#endif
