// SPDX-License-Identifier: BSD-3-Clause
// Test images whose every pixel tells where it came from, so that a wrong source row or
// column shows up as a wrong value.
#ifndef LFTM_TESTS_SUPPORT_COORDINATE_IMAGES_H_
#define LFTM_TESTS_SUPPORT_COORDINATE_IMAGES_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/rgbe_images.h"

namespace lftm_test {

// RGBE planar bytes: red and green from the column and row, blue from both, exponent varied.
inline RgbePlanar coordinate_rgbe(int width, int height) {
  RgbePlanar img;
  img.width = width;
  img.height = height;
  img.bytes.resize(static_cast<size_t>(4) * width * height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = img.bytes.data() + static_cast<size_t>(4) * width * y;
    for (int x = 0; x < width; ++x) {
      row[x] = static_cast<uint8_t>(x % 251);
      row[width + x] = static_cast<uint8_t>(y % 241);
      row[2 * width + x] = static_cast<uint8_t>((x / 251) * 16 + y / 241 + x * 7 + y * 3);
      row[3 * width + x] = static_cast<uint8_t>(120 + (x + 2 * y) % 16);
    }
  }
  return img;
}

// The four bytes of pixel (x, y) of an RGBE planar image `width` wide.
inline std::array<uint8_t, 4> rgbe_pixel(const std::vector<uint8_t>& bytes, int width, int x,
                                         int y) {
  const uint8_t* row = bytes.data() + static_cast<size_t>(4) * width * y;
  return {row[x], row[width + x], row[2 * width + x], row[3 * width + x]};
}

// Value of sample c of pixel (x, y) in the interleaved test images (fits 8 bits when masked).
inline uint16_t coordinate_sample(int x, int y, int c) {
  return static_cast<uint16_t>(x * 131 + y * 17 + c * 5 + 1);
}

// Interleaved image of `pixStep` samples a pixel and `rowStride` samples a row; the padding
// between rows holds `pad`.
template <typename Sample>
std::vector<Sample> coordinate_interleaved(int width, int height, int pixStep, int rowStride,
                                           Sample pad) {
  std::vector<Sample> data(static_cast<size_t>(rowStride) * (height - 1) +
                               static_cast<size_t>(pixStep) * width,
                           pad);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < pixStep; ++c) {
        data[static_cast<size_t>(rowStride) * y + static_cast<size_t>(pixStep) * x + c] =
            static_cast<Sample>(coordinate_sample(x, y, c));
      }
    }
  }
  return data;
}

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_COORDINATE_IMAGES_H_
