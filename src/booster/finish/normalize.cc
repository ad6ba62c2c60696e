// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/normalize.h"

#include <cstdint>
#include <cstring>

#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "settings/settings_table.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

constexpr int kBins = 65536;

// The plane is addressed bytewise so that an unaligned plane is read and written safely.
inline float load(const unsigned char* plane, size_t i) {
  float v;
  std::memcpy(&v, plane + i * sizeof(float), sizeof v);
  return v;
}

inline void store(unsigned char* plane, size_t i, float v) {
  std::memcpy(plane + i * sizeof(float), &v, sizeof v);
}

// Settings outside 0 .. 10 fall back to their defaults.
float setting_in_range(float value, float fallback) {
  return (value < 0 || value > 10) ? fallback : value;
}

// Histogram bin of a scaled value; anything not in 0 .. 65535 (NaN included) is clamped.
inline int bin_of(float scaled) {
  if (scaled >= kBins - 1) return kBins - 1;
  if (!(scaled >= 0)) return 0;
  return static_cast<int>(scaled);
}

// The value every sample of a flat plane takes in kMidTone: half of the span from black to
// white, the level of the median of a nearly flat image whose noise is symmetric.
constexpr float kFlatMidTone = 0.5f;

// Fills a flat plane with the mid-tone: there is no spread for a black or a white point to
// cut, and any other value would make a flat image's picture depend on its level.
int fill_flat_plane(unsigned char* plane, size_t n, int height) {
  for (size_t i = 0; i < n; ++i) store(plane, i, kFlatMidTone);
  return height;
}

}  // namespace

int normalize_luminance(const ImageDesc* desc, const TmParam* param, void* plane_ptr,
                        FlatPlane flat) {
  auto* plane = static_cast<unsigned char*>(plane_ptr);
  int64_t w = desc->width > 0 ? desc->width : 0;
  int64_t h = desc->height > 0 ? desc->height : 0;
  size_t n = static_cast<size_t>(w * h);
  float white = setting_in_range(param->tmParam[kBoosterWhiteClip], 0.25f);
  float black = setting_in_range(param->tmParam[kBoosterBlackClip], 0.0f);
  white += 0.001f;

  // About 32 sample lines whatever the size; a plane of fewer than 32 values shows them all.
  size_t period = n / 32 > 0 ? n / 32 : 1;
  float min0 = 1e9f;
  float max0 = -1e9f;
  for (size_t i = 0; i < n; ++i) {
    float v = load(plane, i);
    // The printed texts keep the old names (tm30, planch/plaf/ech1: black bin, white bin, stretch).
    if (i % period == 0) diag_out("tm30  vectI: %1.4f    %d \n", v, static_cast<int>(i));
    if (v < min0) min0 = v;
    if (v > max0) max0 = v;
  }
  diag_out("min0=%1.6f max0=%1.3f\n", min0, max0);
  if (min0 < 0) return LFTM_ERR_NEGATIVE_LUM;
  if (max0 < 0) return LFTM_ERR_EMPTY_LUM;
  // Each of the three passes reads the whole plane: a cancel is looked at between them.
  if (run_cancelled()) return LFTM_ERR_CANCELLED;

  float scale;
  if (min0 >= max0) {
    diag_out("max <= min\n");
    if (flat == FlatPlane::kMidTone) return fill_flat_plane(plane, n, desc->height);
    min0 = 0;
    if (max0 < 1e-30f) max0 = 1e-4f;
    scale = 32767.5f / max0;
  } else {
    scale = 65535 / (max0 - min0);
  }

  HeapBuffer<uint32_t> histogram;
  if (!histogram.allocate(kBins, true)) return LFTM_ERR_NO_MEMORY;
  uint32_t* count = histogram.get();
  for (size_t i = 0; i < n; ++i) {
    float scaled = scale * (load(plane, i) - min0);
    store(plane, i, scaled);
    ++count[bin_of(scaled)];
  }

  float total = static_cast<float>(n);
  float loCount = black / 200 * total;
  float hiCount = (100 - white) / 100 * total;
  int blackBin = 0;
  float sum = 0;
  while (loCount > sum && blackBin < kBins - 1) sum += static_cast<float>(count[blackBin++]);
  int whiteBin = kBins - 1;
  sum = total;
  while (sum > hiCount && whiteBin > 0) sum -= static_cast<float>(count[whiteBin--]);
  histogram.release();
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  // A white point in bin 0 (almost every value in the lowest bin, or an all-zero plane)
  // stretches that bin instead of dividing by zero.
  if (whiteBin < 1) whiteBin = 1;

  float lo = min0 + blackBin / scale;
  float max1 = lo + whiteBin / scale;
  float stretch = 1 / (max1 - lo);
  float min1 = stretch * (min0 - lo);
  diag_out("-- planch=%d  plaf=%d -- min1=%1.6f  max1=%1.4f  ech1=%1.3f\n", blackBin, whiteBin,
           min1, max1, stretch);

  float blackFloor = static_cast<float>(blackBin);
  float whiteSpan = static_cast<float>(whiteBin);
  for (size_t i = 0; i < n; ++i) {
    float v = (load(plane, i) - blackFloor) / whiteSpan;
    store(plane, i, v < 0 ? 0 : v);
  }
  return desc->height;
}

}  // namespace lftm
