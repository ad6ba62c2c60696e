// SPDX-License-Identifier: BSD-3-Clause
// A 1:1 window of the image, top-left corner (x0, y0).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lftm.h"
#include "preview/preview_layout.h"

namespace {

void zoom_rgbe(int32_t width, int32_t outWidth, int32_t outHeight, int32_t x0, int32_t y0,
               const uint8_t* src, uint8_t* dst) {
  const size_t inRow = 4 * static_cast<size_t>(width);
  const size_t outRow = 4 * static_cast<size_t>(outWidth);
  for (int32_t i = 0; i < outHeight; ++i) {
    const uint8_t* from = src + inRow * (static_cast<size_t>(y0) + i) + x0;
    uint8_t* to = dst + outRow * i;
    for (int32_t plane = 0; plane < 4; ++plane) {
      std::memcpy(to + static_cast<size_t>(plane) * outWidth,
                  from + static_cast<size_t>(plane) * width, static_cast<size_t>(outWidth));
    }
  }
}

template <typename Sample>
void zoom_interleaved(int32_t pixStep, int32_t rowStride, int32_t outRowStride,
                      int32_t outWidth, int32_t outHeight, int32_t x0, int32_t y0,
                      const Sample* src, Sample* dst) {
  for (int32_t i = 0; i < outHeight; ++i) {
    const Sample* from = src + static_cast<size_t>(pixStep) * x0 +
                         static_cast<size_t>(rowStride) * (static_cast<size_t>(y0) + i);
    Sample* to = dst + static_cast<size_t>(outRowStride) * i;
    for (int32_t j = 0; j < outWidth; ++j) {
      const size_t at = static_cast<size_t>(pixStep) * j;
      lftm::copy_three_samples(from + at, to + at, pixStep);
    }
  }
}

// The window lies inside the image.
bool window_inside(int32_t width, int32_t height, int32_t outWidth, int32_t outHeight,
                   int32_t x0, int32_t y0) {
  return x0 >= 0 && y0 >= 0 && static_cast<int64_t>(x0) + outWidth <= width &&
         static_cast<int64_t>(y0) + outHeight <= height;
}

}  // namespace

extern "C" int32_t extract_zoom(int32_t type, int32_t width, int32_t height, int32_t pixStep,
                                int32_t rowStride, int32_t outRowStride, int32_t outWidth,
                                int32_t outHeight, int32_t x0, int32_t y0, const void* src,
                                void* dst) {
  if (!lftm::preview_sides_ok(width, height, outWidth, outHeight)) return LFTM_ERR_FILE;
  if (type != LFTM_DOC_RGBE && type != LFTM_DOC_U16 && type != LFTM_DOC_U8) return 0;
  if (!window_inside(width, height, outWidth, outHeight, x0, y0)) return LFTM_ERR_FILE;

  if (type == LFTM_DOC_RGBE) {
    if (!lftm::rgbe_planar_fits(width, height)) return LFTM_ERR_FILE;
    zoom_rgbe(width, outWidth, outHeight, x0, y0, static_cast<const uint8_t*>(src),
              static_cast<uint8_t*>(dst));
    return outHeight;
  }
  if (!lftm::interleaved_fits(width, height, pixStep, rowStride) ||
      !lftm::interleaved_fits(outWidth, outHeight, pixStep, outRowStride))
    return LFTM_ERR_FILE;
  if (type == LFTM_DOC_U16) {
    zoom_interleaved(pixStep, rowStride, outRowStride, outWidth, outHeight, x0, y0,
                     static_cast<const uint16_t*>(src), static_cast<uint16_t*>(dst));
  } else {
    zoom_interleaved(pixStep, rowStride, outRowStride, outWidth, outHeight, x0, y0,
                     static_cast<const uint8_t*>(src), static_cast<uint8_t*>(dst));
  }
  return outHeight;
}
