// SPDX-License-Identifier: BSD-3-Clause
// Layout checks and pixel copies shared by the preview functions.
//
// The preview functions index caller-owned buffers with sizes and strides the host passes in.
// Before touching a buffer they check that every offset they will form is non-negative and
// fits a signed 32-bit sample count, so a bad size fails with a code instead of an access
// outside the buffer.
#ifndef LFTM_PREVIEW_PREVIEW_LAYOUT_H_
#define LFTM_PREVIEW_PREVIEW_LAYOUT_H_

#include <cstddef>
#include <cstdint>
#include <limits>

#include "platform/sizes.h"

namespace lftm {

// Smallest width or height, source or output, that the preview extractors accept.
constexpr int32_t kMinPreviewSide = 5;

inline bool preview_sides_ok(int32_t width, int32_t height, int32_t outWidth,
                             int32_t outHeight) {
  return width >= kMinPreviewSide && height >= kMinPreviewSide &&
         outWidth >= kMinPreviewSide && outHeight >= kMinPreviewSide;
}

// An RGBE planar image of width x height (4 bytes a pixel) addressable in 32 bits.
inline bool rgbe_planar_fits(int32_t width, int32_t height) {
  size_t bytes = 0;
  return checked_product(4, width, height, &bytes);
}

// Interleaved samples, `pixStep` a pixel and `rowStride` a row: the last sample of the last
// row, rowStride x (height - 1) + pixStep x width - 1, must be addressable in 32 bits.
inline bool interleaved_fits(int32_t width, int32_t height, int32_t pixStep,
                             int32_t rowStride) {
  if (width < 1 || height < 1 || pixStep < 1 || rowStride < 0) return false;
  const int64_t extent = static_cast<int64_t>(rowStride) * (height - 1) +
                         static_cast<int64_t>(pixStep) * width;
  return extent <= std::numeric_limits<int32_t>::max();
}

// Copies the three samples a preview keeps of an interleaved pixel: the first, the middle and
// the last (one sample a pixel gives the same sample three times).
template <typename Sample>
inline void copy_three_samples(const Sample* from, Sample* to, int32_t pixStep) {
  const int32_t middle = (pixStep - 1) / 2;
  const int32_t last = pixStep - 1;
  to[0] = from[0];
  to[middle] = from[middle];
  to[last] = from[last];
}

}  // namespace lftm

#endif  // LFTM_PREVIEW_PREVIEW_LAYOUT_H_
