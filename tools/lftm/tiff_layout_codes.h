// The tool's own codes for TIFF layouts that the TIFF reader takes neither as 16-bit samples
// nor as floats, so that each gets a sentence of its own instead of the drivers' generic -2.
#ifndef LFTM_TOOLS_TIFF_LAYOUT_CODES_H_
#define LFTM_TOOLS_TIFF_LAYOUT_CODES_H_

#include <cstdint>

#include "lftm.h"

namespace lftm_cli {

enum TiffLayoutCode : int32_t {
  kTiffCmyk = -3120,
  kTiffInt32 = -3121,
  kTiffFloat64 = -3122,
  kTiffHalfFloat = -3123,
  kTiffSigned = -3124,
  kTiffOddDepth = -3125,
  kTiffLogLuv = -3126,
  kTiffOtherColours = -3127,
  kTiffOtherSamples = -3128,
};

// The code for the layout that infotif reported in `info` (slots 2, 3, 6 and 7), or
// LFTM_ERR_SIB_LAYOUT when none of the sentences fits.
int32_t tiff_layout_code(const HdrFileInfo& info);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_TIFF_LAYOUT_CODES_H_
