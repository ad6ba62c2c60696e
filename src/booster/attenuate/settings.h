// SPDX-License-Identifier: BSD-3-Clause
// The stage-1 settings derived from a parameter block.
#ifndef LFTM_BOOSTER_ATTENUATE_SETTINGS_H_
#define LFTM_BOOSTER_ATTENUATE_SETTINGS_H_

#include "lftm.h"

namespace lftm {

struct Stage1Settings {
  float comp;         // compression strength, 1 + (Luminosity + 10) x 0.6
  float exponent;     // power-law exponent, -comp / 100
  float sldAlpha;     // Microcontrast slider
  double alphaScale;  // a: the level's mean gradient times a is the power-law divisor
  float detail;       // d: the level's mean gradient times d is added before the division
  float clipFraction; // fraction of the pixels below the white clip, (100 - WhiteClip) / 100
  bool is360;         // the image wraps around at its left and right edges
  int is360Slot;      // the 360-degree setting, truncated, as the diagnostic lines print it
  bool multiLevel;    // one right-hand side per multigrid level
  int windowLevels;   // multi-level worker: levels above the target in each window product
};

Stage1Settings derive_stage1_settings(const TmParam& param);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_SETTINGS_H_
