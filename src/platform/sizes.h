// SPDX-License-Identifier: BSD-3-Clause
// Size arithmetic that cannot overflow: image sizes come from files and hosts, and every
// buffer size derived from them is checked before anything is allocated.
#ifndef LFTM_PLATFORM_SIZES_H_
#define LFTM_PLATFORM_SIZES_H_

#include <cstddef>
#include <cstdint>
#include <limits>

namespace lftm {

// The largest image, in pixels, that the library takes: pixel counts and plane indices are
// 32-bit (ImageDesc, PyramidDims), while byte counts and sample offsets are 64-bit.
constexpr int64_t kMaxImagePixels = std::numeric_limits<int32_t>::max();

// The limit for byte counts of buffers and scratch files: whatever the address space holds.
constexpr int64_t kMaxBufferBytes = std::numeric_limits<int64_t>::max();

// a x b x c as a size, or false when a factor is negative or the product passes `limit`.
inline bool checked_product(int64_t a, int64_t b, int64_t c, size_t* out,
                            int64_t limit = std::numeric_limits<int32_t>::max()) {
  if (a < 0 || b < 0 || c < 0) return false;
  if (a != 0 && b > limit / a) return false;
  int64_t ab = a * b;
  if (ab != 0 && c > limit / ab) return false;
  *out = static_cast<size_t>(ab * c);
  return true;
}

// True when width x height is a usable image size: both positive, at most kMaxImagePixels.
inline bool image_size_ok(int64_t width, int64_t height) {
  size_t pixels = 0;
  return width > 0 && height > 0 && checked_product(width, height, 1, &pixels, kMaxImagePixels);
}

}  // namespace lftm

#endif  // LFTM_PLATFORM_SIZES_H_
