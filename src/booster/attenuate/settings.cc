// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/settings.h"

#include <cmath>

#include "platform/setting_value.h"
#include "settings/settings_table.h"

namespace lftm {

Stage1Settings derive_stage1_settings(const TmParam& param) {
  const float* p = param.tmParam;
  Stage1Settings s;
  s.comp = static_cast<float>(1.0 + static_cast<double>(p[kBoosterLuminosity] + 10.0f) * 0.6);
  const double beta = 1.0 - s.comp / 100.0;
  s.exponent = static_cast<float>(beta - 1.0);

  s.sldAlpha = p[kBoosterMicrocontrast];
  const double slope = s.sldAlpha <= 2.0f ? s.sldAlpha / 2.5 : 0.8 + (s.sldAlpha - 2.0) / 8.0;
  s.alphaScale = 0.1 * std::pow(2.0, slope);

  const double smoothing = p[kBoosterMicrosmoothing];
  s.detail = static_cast<float>(smoothing > 11.0 ? 0.7333 + (smoothing - 11.0) / 10.0
                                                 : smoothing / 15.0);

  s.clipFraction = (100.0f - p[kBoosterWhiteClip]) / 100.0f;
  s.is360Slot = truncate_setting(p[kBooster360DegreeImage]);
  s.is360 = s.is360Slot != 0;
  s.multiLevel = truncate_setting(p[kBoosterSmoothingMode]) != 0;
  s.windowLevels = p[kBoosterToleranceClass] > 0.0f ? 4 : 5;
  return s;
}

}  // namespace lftm
