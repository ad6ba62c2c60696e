// SPDX-License-Identifier: BSD-3-Clause
// RGBE images for the tests, as the library holds them (per row, red, green, blue and exponent
// planes), the Radiance encoding of them, and an exponent table built independently of the
// library.
#ifndef LFTM_TESTS_SUPPORT_RGBE_IMAGES_H_
#define LFTM_TESTS_SUPPORT_RGBE_IMAGES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace lftm_test {

struct RgbePlanar {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;  // 4 x width x height
};

// A deterministic test image with smooth gradients and some variety in the exponents.
RgbePlanar make_test_image(int width, int height, uint32_t seed = 1);

// All bytes zero.
RgbePlanar blank_rgbe(int width, int height);
void set_pixel(RgbePlanar* img, int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t e);
// Grey pixel of value m x 2^(e - 136).
void set_grey(RgbePlanar* img, int x, int y, uint8_t m, uint8_t e);

// Encodes an image as a Radiance file ("#?RADIANCE", FORMAT line, blank line, "-Y h +X w"),
// flat or with run-length rows. `extra_header` lines (each ending in '\n') go before the
// blank line.
std::vector<uint8_t> encode_rgbe_file(const RgbePlanar& image, bool run_length,
                                      const std::string& extra_header = "");

// Entry e is 2^(e - 136).
std::vector<float> reference_exp_table();

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_RGBE_IMAGES_H_
