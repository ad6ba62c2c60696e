// SPDX-License-Identifier: BSD-3-Clause
// The version entry of every sibling library: liblftm loads a private copy only when it was
// built with the same version, so that a plug-in left behind by another release (a JPEG
// writer that predates the EXIF block, say) is refused instead of used silently.
#include <cstdint>

#include "lftm.h"

extern "C" LFTM_EXPORT int32_t lftm_plugin_version() { return LFTM_VERSION; }
