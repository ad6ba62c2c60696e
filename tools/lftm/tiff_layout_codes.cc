// SPDX-License-Identifier: BSD-3-Clause
#include "tiff_layout_codes.h"

#include "messages.h"

namespace lftm_cli {
namespace {

// TIFF tag values, as infotif reports them.
constexpr int32_t kMinIsWhite = 0, kMinIsBlack = 1, kRgb = 2, kPalette = 3, kSeparated = 5;
constexpr int32_t kLogL = 32844, kLogLuv = 32845;
constexpr int32_t kSignedInt = 2, kFloat = 3;

}  // namespace

int32_t tiff_layout_code(const HdrFileInfo& info) {
  const int32_t spp = info.infos[LFTM_INFO_SPP];
  const int32_t bits = info.infos[LFTM_INFO_BITS];
  const int32_t photometric = info.infos[LFTM_INFO_PHOTOMETRIC];
  const int32_t format = info.infos[LFTM_INFO_SAMPLE_FORMAT];
  if (photometric == kSeparated) return kTiffCmyk;
  if (photometric == kLogL || photometric == kLogLuv) return kTiffLogLuv;
  if (photometric != kMinIsWhite && photometric != kMinIsBlack && photometric != kRgb &&
      photometric != kPalette) {
    return kTiffOtherColours;
  }
  if (format == kFloat && bits == 64) return kTiffFloat64;
  // 32-bit floats that are not grey or RGB with or without alpha.
  if (format == kFloat && bits == 32) return kTiffOtherSamples;
  if (format == kFloat) return kTiffHalfFloat;
  if (format == kSignedInt) return kTiffSigned;
  if (bits == 32) return kTiffInt32;
  if (bits != 8 && bits != 16) return kTiffOddDepth;
  if (spp > 4) return kTiffOtherSamples;
  return LFTM_ERR_SIB_LAYOUT;
}

}  // namespace lftm_cli
