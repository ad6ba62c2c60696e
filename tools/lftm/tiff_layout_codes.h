// SPDX-License-Identifier: BSD-3-Clause
// Picks the tool's own code (messages.h) for a TIFF layout the TIFF reader does not take.
#ifndef LFTM_TOOLS_TIFF_LAYOUT_CODES_H_
#define LFTM_TOOLS_TIFF_LAYOUT_CODES_H_

#include <cstdint>

#include "lftm.h"

namespace lftm_cli {

// The code for the layout that infotif reported in `info` (slots 2, 3, 6 and 7), or
// LFTM_ERR_SIB_LAYOUT when none of the sentences fits.
int32_t tiff_layout_code(const HdrFileInfo& info);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_TIFF_LAYOUT_CODES_H_
