// SPDX-License-Identifier: BSD-3-Clause
// Luminance and channel histograms of an 8-bit preview.
#include <cstddef>
#include <cstdint>

#include "lftm.h"
#include "platform/sizes.h"

namespace {

constexpr int32_t kBins = 256;

}  // namespace

// The counters are added to, never cleared, so that a host can sum several previews.
extern "C" int32_t histo4preview(int32_t width, int32_t height, int32_t pixStep,
                                 const uint8_t* data, int32_t* hist) {
  size_t bytes = 0;
  if (width < 0 || height < 0 || pixStep < 1 ||
      !lftm::checked_product(width, height, pixStep, &bytes))
    return LFTM_ERR_FILE;

  const size_t pixels = static_cast<size_t>(width) * height;
  const int32_t middle = (pixStep - 1) / 2;
  const int32_t last = pixStep - 1;
  int32_t* luminance = hist;
  int32_t* first = hist + kBins;
  int32_t* centre = hist + 2 * kBins;
  int32_t* final = hist + 3 * kBins;
  const uint8_t* pixel = data;
  for (size_t n = 0; n < pixels; ++n, pixel += pixStep) {
    const int32_t a = pixel[0];
    const int32_t b = pixel[middle];
    const int32_t c = pixel[last];
    int32_t y = (54 * a + 183 * b + 19 * c) >> 8;
    if (y > kBins - 1) y = kBins - 1;
    ++luminance[y];
    ++first[a];
    ++centre[b];
    ++final[c];
  }
  return static_cast<int32_t>(pixels);
}
