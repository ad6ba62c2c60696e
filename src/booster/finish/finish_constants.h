// SPDX-License-Identifier: BSD-3-Clause
// Everything the per-pixel finishing needs that does not change from pixel to pixel: the
// settings as read, the luminance-mix and gamma constants, the shadow-clipping and
// saturation curves and the white-balance factors.
#ifndef LFTM_BOOSTER_FINISH_FINISH_CONSTANTS_H_
#define LFTM_BOOSTER_FINISH_FINISH_CONSTANTS_H_

#include "booster/finish/cubic.h"
#include "lftm.h"

namespace lftm {

struct FinishConstants {
  int docType;
  float maxOut;  // 65535 for 16-bit output, else 255

  // Settings as read from the parameter block.
  float stre;  // Strength, raised to 1
  float valSat;
  float valWhite;  // WhiteClip as given
  float valBlack;  // BlackClip as given
  float highlightsSmoothing;
  float shadowsSmoothing;
  float shadowsClipping;
  float colorTemperature;
  float saturationHighlights;
  float saturationShadows;

  // Gamma and saturation.
  float satLevel;
  float gamma;
  float dGamma;
  float gammaD;
  float gG;  // exponent of the smoothing rendition
  int satSteps;
  float satFactor;

  // Luminance mix with the adaptive logarithmic mapping.
  float mixW;
  float meanLumDiv;
  float dA;
  float dB;
  float scaledExp[256];

  // Shadow clipping between c0 and c1 (log luminance).
  float logMinL;
  float logMaxL;
  float clipBand;
  float c0;
  float c1;
  float cm;
  Cubic shadowClipLo;
  Cubic shadowClipHi;

  // Highlight smoothing.
  float valWhiteUsed;  // WhiteClip brought into 0..10, plus 0.001
  float highlightScale;

  // White balance.
  float u;
  float v;

  // Saturation exponent changes above and below the median.
  float logMed;
  float log25;
  float log75;
  float I;
  float J;
  float S;
  float U;
  Cubic highSatLo;
  Cubic highSatHi;
  Cubic shadowSatLo;
  Cubic shadowSatHi;
};

// Computes the constants of one finishing call. Prints nothing.
void make_finish_constants(int docType, const ImageDesc& desc, const TmParam& param,
                           const LumStats& stats, const float* expTable, FinishConstants* k);

// The line that opens every finishing call.
void print_finish_settings(const FinishConstants& k, int readFromDisk, int sppOut);
// The highlight-smoothing line (only when that smoothing is on), then the log-luminance marks.
void print_finish_marks(const FinishConstants& k, const LumStats& stats);

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_FINISH_CONSTANTS_H_
