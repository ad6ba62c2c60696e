// SPDX-License-Identifier: BSD-3-Clause
// Working dimensions of the Texture Booster: the depth and size of the multigrid pyramid
// (stage 2 and the multi-level right-hand sides) and of the attenuation pyramid (stage 1).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "lftm.h"
#include "platform/diag.h"
#include "platform/setting_value.h"
#include "settings/settings_table.h"

namespace {

constexpr int64_t kMaxFloats = std::numeric_limits<int32_t>::max();

// Beyond any preset: a setting is clamped to +-kSettingBound before it is used as a depth.
constexpr int kSettingBound = 1000000;

// A preset stored in a float slot, truncated toward zero, then bounded far beyond any preset
// so that the depth arithmetic on it cannot overflow.
int preset_as_int(float value) {
  const int32_t preset = lftm::truncate_setting(value);
  return std::clamp(preset, -kSettingBound, kSettingBound);
}

// log2(size / 32), rounded to single precision, then to the nearest integer with halves going
// down for positive values; negative values are truncated toward zero.
int octaves_above_32(int size) {
  float a = static_cast<float>(std::log(size / 32.0) / std::log(2.0));
  int n = static_cast<int>(a);
  if (a > n + 0.5f) ++n;
  return n;
}

// Size of the coarsest level after `depth` halvings that stop once either side is at or
// below `floor`, and the floats of all depth + 1 levels. False when the total does not fit
// a 32-bit count.
bool pyramid(int width, int height, int depth, int floor, int* lastW, int* lastH,
             int32_t* total) {
  int64_t w = width;
  int64_t h = height;
  int64_t sum = w * h;
  for (int i = 0; i < depth && sum <= kMaxFloats; ++i) {
    if (w > floor && h > floor) {
      w = (w + 1) / 2;
      h = (h + 1) / 2;
    }
    sum += w * h;
  }
  if (sum > kMaxFloats) return false;
  *lastW = static_cast<int>(w);
  *lastH = static_cast<int>(h);
  *total = static_cast<int32_t>(sum);
  return true;
}

int32_t fill_dims(int width, int height, int baseDepth, int secondDepth, PyramidDims* dims) {
  int n = (octaves_above_32(width) + octaves_above_32(height)) >> 1;
  lftm::diag_out("tm_dim %d  %d\n", baseDepth, n);
  int rang = baseDepth + n;

  int coarseW, coarseH, minW, minH;
  int32_t total, total2;
  if (!pyramid(width, height, rang, 9, &coarseW, &coarseH, &total)) return LFTM_ERR_FILE;
  int levels2 = secondDepth != 0 ? secondDepth : rang + 3;
  if (!pyramid(width, height, levels2, 5, &minW, &minH, &total2)) return LFTM_ERR_FILE;

  lftm::diag_out("W0=%d  H0=%d  min: %d x %d  - rang: %d   %d x %d  \n", width, height, minW,
                 minH, rang, coarseW, coarseH);
  dims->W0 = dims->W = width;
  dims->H0 = dims->H = height;
  dims->total = total;
  dims->total2 = total2;
  dims->coarseW = coarseW;
  dims->coarseH = coarseH;
  dims->minW = minW;
  dims->minH = minH;
  dims->rang = rang;
  dims->levels2 = levels2;
  return rang;
}

}  // namespace

extern "C" int32_t tm_dim(int32_t width, int32_t height, const TmParam* tmParam,
                          PyramidDims* dims) {
  lftm::diag_out("tm_dim pour %d x %d\n", width, height);
  // "Light" smoothing (SmoothingMode 0) takes its depth from the Smoothing preset and keeps the
  // attenuation pyramid at four levels; "Slider" smoothing derives both from the size alone.
  int baseDepth = 0;
  int secondDepth = 0;
  if (tmParam->tmParam[lftm::kBoosterSmoothingMode] == 0.0f) {
    baseDepth = 2 - preset_as_int(tmParam->tmParam[lftm::kBoosterSmoothingPreset]);
    secondDepth = 4;
  }
  if (width < 10 || height < 10) return LFTM_ERR_FILE;
  return fill_dims(width, height, baseDepth, secondDepth, dims);
}
