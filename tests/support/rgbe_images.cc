// SPDX-License-Identifier: BSD-3-Clause
#include "support/rgbe_images.h"

#include <cmath>

namespace lftm_test {

RgbePlanar make_test_image(int width, int height, uint32_t seed) {
  RgbePlanar img;
  img.width = width;
  img.height = height;
  img.bytes.resize(static_cast<size_t>(4) * width * height);
  uint32_t state = seed * 2654435761u + 12345u;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = img.bytes.data() + static_cast<size_t>(4) * width * y;
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      int noise = static_cast<int>(state >> 28);
      row[x] = static_cast<uint8_t>(128 + (x * 97 / (width + 1)) + noise % 8);
      row[width + x] = static_cast<uint8_t>(128 + (y * 97 / (height + 1)) + noise % 5);
      row[2 * width + x] = static_cast<uint8_t>(128 + ((x + y) * 61 / (width + height)));
      row[3 * width + x] = static_cast<uint8_t>(126 + (x * 5 / width) + (y * 4 / height));
    }
  }
  return img;
}

RgbePlanar blank_rgbe(int width, int height) {
  RgbePlanar img;
  img.width = width;
  img.height = height;
  img.bytes.assign(static_cast<size_t>(4) * width * height, 0);
  return img;
}

void set_pixel(RgbePlanar* img, int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t e) {
  uint8_t* row = img->bytes.data() + static_cast<size_t>(4) * img->width * y;
  row[x] = r;
  row[img->width + x] = g;
  row[2 * img->width + x] = b;
  row[3 * img->width + x] = e;
}

void set_grey(RgbePlanar* img, int x, int y, uint8_t m, uint8_t e) {
  set_pixel(img, x, y, m, m, m, e);
}

namespace {

// One component of one row with the run-length scheme of Radiance files: runs of equal bytes
// as 128 + count, everything else as literals of up to 128 bytes.
void encode_component(const uint8_t* data, int n, std::vector<uint8_t>* out) {
  int i = 0;
  while (i < n) {
    int run = 1;
    while (i + run < n && run < 127 && data[i + run] == data[i]) ++run;
    if (run >= 4) {
      out->push_back(static_cast<uint8_t>(128 + run));
      out->push_back(data[i]);
      i += run;
      continue;
    }
    int start = i;
    int len = 0;
    while (i < n && len < 128) {
      int ahead = 1;
      while (i + ahead < n && ahead < 4 && data[i + ahead] == data[i]) ++ahead;
      if (ahead >= 4) break;
      ++i;
      ++len;
    }
    out->push_back(static_cast<uint8_t>(len));
    out->insert(out->end(), data + start, data + start + len);
  }
}

}  // namespace

std::vector<uint8_t> encode_rgbe_file(const RgbePlanar& image, bool run_length,
                                      const std::string& extra_header) {
  std::string header = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n" + extra_header + "\n-Y " +
                       std::to_string(image.height) + " +X " + std::to_string(image.width) +
                       "\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  const int w = image.width;
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = image.bytes.data() + static_cast<size_t>(4) * w * y;
    if (run_length) {
      out.push_back(2);
      out.push_back(2);
      out.push_back(static_cast<uint8_t>(w >> 8));
      out.push_back(static_cast<uint8_t>(w & 255));
      for (int c = 0; c < 4; ++c) encode_component(row + c * w, w, &out);
    } else {
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 4; ++c) out.push_back(row[c * w + x]);
      }
    }
  }
  return out;
}

std::vector<float> reference_exp_table() {
  std::vector<float> t(256);
  for (int e = 0; e < 256; ++e) t[e] = static_cast<float>(std::ldexp(1.0, e - 136));
  return t;
}

}  // namespace lftm_test
