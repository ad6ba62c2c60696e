// SPDX-License-Identifier: BSD-3-Clause
// The version of the library that is loaded, from the project version it was built with.
#include "lftm.h"

extern "C" int32_t lftm_version(void) { return LFTM_PROJECT_VERSION_NUMBER; }
