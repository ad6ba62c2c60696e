// SPDX-License-Identifier: BSD-3-Clause
// Quick view of any size by nearest-neighbour sampling.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "lftm.h"
#include "preview/preview_layout.h"

namespace {

// Source row or column for output index `i`: trunc(scale x i), at most `last`.
inline int32_t nearest_source(float scale, int32_t i, int32_t last) {
  return std::min(static_cast<int32_t>(scale * static_cast<float>(i)), last);
}

void quick_view_rgbe(int32_t width, int32_t height, int32_t outWidth, int32_t outHeight,
                     float sx, float sy, const uint8_t* src, uint8_t* dst) {
  const size_t inRow = 4 * static_cast<size_t>(width);
  const size_t outRow = 4 * static_cast<size_t>(outWidth);
  for (int32_t i = 0; i < outHeight; ++i) {
    const uint8_t* from = src + inRow * nearest_source(sy, i, height - 1);
    uint8_t* to = dst + outRow * i;
    for (int32_t plane = 0; plane < 4; ++plane) {
      const uint8_t* fromPlane = from + static_cast<size_t>(plane) * width;
      uint8_t* toPlane = to + static_cast<size_t>(plane) * outWidth;
      for (int32_t j = 0; j < outWidth; ++j) {
        toPlane[j] = fromPlane[nearest_source(sx, j, width - 1)];
      }
    }
  }
}

void quick_view_u16(int32_t width, int32_t height, int32_t pixStep, int32_t rowStride,
                    int32_t outRowStride, int32_t outWidth, int32_t outHeight, float sx,
                    float sy, const uint16_t* src, uint16_t* dst) {
  for (int32_t i = 0; i < outHeight; ++i) {
    const uint16_t* from =
        src + static_cast<size_t>(rowStride) * nearest_source(sy, i, height - 1);
    uint16_t* to = dst + static_cast<size_t>(outRowStride) * i;
    for (int32_t j = 0; j < outWidth; ++j) {
      const size_t o = static_cast<size_t>(nearest_source(sx, j, width - 1));
      lftm::copy_three_samples(from + o * pixStep, to + static_cast<size_t>(j) * pixStep,
                               pixStep);
    }
  }
}

}  // namespace

extern "C" int32_t extract_qv(int32_t type, int32_t width, int32_t height, int32_t pixStep,
                              int32_t rowStride, int32_t outRowStride, int32_t outWidth,
                              int32_t outHeight, const void* src, void* dst) {
  if (!lftm::preview_sides_ok(width, height, outWidth, outHeight)) return LFTM_ERR_FILE;
  if (type != LFTM_DOC_RGBE && type != LFTM_DOC_U16) return 0;

  const float sy = static_cast<float>(height) / static_cast<float>(outHeight);
  const float sx = static_cast<float>(width) / static_cast<float>(outWidth);
  if (type == LFTM_DOC_RGBE) {
    if (!lftm::rgbe_planar_fits(width, height) || !lftm::rgbe_planar_fits(outWidth, outHeight))
      return LFTM_ERR_FILE;
    quick_view_rgbe(width, height, outWidth, outHeight, sx, sy,
                    static_cast<const uint8_t*>(src), static_cast<uint8_t*>(dst));
  } else {
    if (!lftm::interleaved_fits(width, height, pixStep, rowStride) ||
        !lftm::interleaved_fits(outWidth, outHeight, pixStep, outRowStride))
      return LFTM_ERR_FILE;
    quick_view_u16(width, height, pixStep, rowStride, outRowStride, outWidth, outHeight, sx,
                   sy, static_cast<const uint16_t*>(src), static_cast<uint16_t*>(dst));
  }
  return outHeight;
}
