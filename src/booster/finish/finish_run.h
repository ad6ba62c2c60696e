// SPDX-License-Identifier: BSD-3-Clause
// The colour of finished pixels from their source colours and compressed luminances, a run
// of up to kFinishRun pixels of a row at a time so that the logarithms and powers of the run
// go through the array functions together.
#ifndef LFTM_BOOSTER_FINISH_FINISH_RUN_H_
#define LFTM_BOOSTER_FINISH_FINISH_RUN_H_

#include "booster/finish/finish_constants.h"

namespace lftm {

constexpr int kFinishRun = 64;

struct FinishedPixel {
  float r, g, b;  // source colour after white balance (RGBE: in mantissa units)
  float y;        // source luminance
  float yOut;     // output luminance after the mix, shadow clipping and gamma
  float o[3];     // output red, green, blue in 0 .. 1 (may pass 1)
};

struct FinishRun {
  // Set by the caller: the source colour (RGBE mantissas, or linear values), the RGBE
  // exponent (docType 0 only), the normalised compressed luminance, and whether the source
  // has the pixel at all (an RGBE exponent of 0 marks it black).
  float r[kFinishRun], g[kFinishRun], b[kFinishRun];
  int e[kFinishRun];
  float lum[kFinishRun];
  bool read[kFinishRun];
  // Results: lit is false for a pixel without luminance, which is written black; px is
  // set for lit pixels only.
  bool lit[kFinishRun];
  FinishedPixel px[kFinishRun];
};

// Finishes pixels 0 .. n-1 (n at most kFinishRun) of the run.
void finish_run(const FinishConstants& k, const float* expTable, int n, FinishRun* run);

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_FINISH_RUN_H_
