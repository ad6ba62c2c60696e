// SPDX-License-Identifier: BSD-3-Clause
// Inputs of the Texture Booster's finishing stage for its tests: settings, scene statistics,
// a lut, a luminance plane and image layouts.
#ifndef LFTM_TESTS_SUPPORT_BOOSTER_INPUTS_H_
#define LFTM_TESTS_SUPPORT_BOOSTER_INPUTS_H_

#include <cmath>
#include <cstdint>
#include <vector>

#include "lftm.h"
#include "settings/settings_table.h"

namespace lftm_test {

// The Texture Booster's default settings (Strength 70, saturation 46, white clip 0.25 ...).
inline TmParam booster_defaults() {
  TmParam p{};
  p.tmParam[lftm::kBoosterStrength] = 70;
  p.tmParam[lftm::kBoosterColorSaturation] = 46;
  p.tmParam[lftm::kBoosterWhiteClip] = 0.25f;
  p.tmParam[lftm::kBoosterSmoothingPreset] = 1;
  p.tmParam[lftm::kBoosterMicrosmoothing] = 2;
  p.tmParam[lftm::kBoosterGamma] = 50;
  p.tmParam[lftm::kBoosterSmoothingMode] = 1;
  return p;
}

// Statistics of a scene with log luminance from -5 to 5 around a median of 0.
inline LumStats scene_stats() {
  LumStats s;
  s.lumMoy = 1;
  s.lumMaxRatio = std::exp(5.0f);
  s.lumMin = std::exp(-5.0f);
  s.logMed = 0;
  s.log25 = -1.5f;
  s.log75 = 1.5f;
  s.logClip = 4;
  return s;
}

// A lut as the driver builds it for linear 16-bit samples.
inline std::vector<float> linear_lut() {
  std::vector<float> t(65536);
  for (int i = 1; i < 65536; ++i) t[i] = static_cast<float>(i);
  t[0] = t[1];
  return t;
}

// A smooth luminance plane with values from 0 to about 3, as stage 2 might leave it.
inline std::vector<float> test_plane(int width, int height) {
  std::vector<float> plane(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      plane[static_cast<size_t>(y) * width + x] =
          0.05f + 3.0f * (x + 2.0f * y) / (width + 2.0f * height) + 0.01f * ((x * 7 + y) % 5);
    }
  }
  return plane;
}

inline ImageDesc image_desc(int width, int height, int spp, int bits, int planes = 0) {
  ImageDesc d{};
  d.width = width;
  d.height = height;
  d.spp = spp;
  d.spare = 8;
  d.bits = bits;
  d.rowSamples = width * spp;
  d.rowStride = width * spp;
  d.planes = planes;
  return d;
}

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_BOOSTER_INPUTS_H_
