// Helpers of the statistics tests: an exponent table built independently of the library, and
// small RGBE planar images set pixel by pixel.
#ifndef LFTM_STATS_STATS_TEST_SUPPORT_H_
#define LFTM_STATS_STATS_TEST_SUPPORT_H_

#include <cmath>
#include <cstdint>
#include <vector>

#include "test_support.h"

namespace lftm_test {

// Entry e is 2^(e - 136).
inline std::vector<float> reference_exp_table() {
  std::vector<float> t(256);
  for (int e = 0; e < 256; ++e) t[e] = static_cast<float>(std::ldexp(1.0, e - 136));
  return t;
}

inline RgbePlanar blank_rgbe(int width, int height) {
  RgbePlanar img;
  img.width = width;
  img.height = height;
  img.bytes.assign(static_cast<size_t>(4) * width * height, 0);
  return img;
}

inline void set_pixel(RgbePlanar* img, int x, int y, uint8_t r, uint8_t g, uint8_t b,
                      uint8_t e) {
  uint8_t* row = img->bytes.data() + static_cast<size_t>(4) * img->width * y;
  row[x] = r;
  row[img->width + x] = g;
  row[2 * img->width + x] = b;
  row[3 * img->width + x] = e;
}

// Grey pixel of value m x 2^(e - 136).
inline void set_grey(RgbePlanar* img, int x, int y, uint8_t m, uint8_t e) {
  set_pixel(img, x, y, m, m, m, e);
}

// Number of occurrences of `needle` in `text`.
inline int count_of(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
    ++n;
  return n;
}

}  // namespace lftm_test

#endif  // LFTM_STATS_STATS_TEST_SUPPORT_H_
