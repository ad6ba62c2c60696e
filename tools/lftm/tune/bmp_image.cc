// SPDX-License-Identifier: BSD-3-Clause
#include "bmp_image.h"

#include <cstdint>

namespace lftm_tune {
namespace {

void put16(std::string* out, uint32_t v) {
  out->push_back(static_cast<char>(v & 0xff));
  out->push_back(static_cast<char>((v >> 8) & 0xff));
}

void put32(std::string* out, uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

}  // namespace

std::string bmp_file(const Picture& picture) {
  const uint32_t w = static_cast<uint32_t>(picture.width);
  const uint32_t h = static_cast<uint32_t>(picture.height);
  const uint32_t rowBytes = (3 * w + 3) / 4 * 4;
  const uint32_t dataBytes = rowBytes * h;
  std::string out;
  out.reserve(54 + dataBytes);
  out += "BM";
  put32(&out, 54 + dataBytes);
  put32(&out, 0);
  put32(&out, 54);
  put32(&out, 40);
  put32(&out, w);
  put32(&out, static_cast<uint32_t>(-static_cast<int32_t>(h)));  // rows top down
  put16(&out, 1);
  put16(&out, 24);
  put32(&out, 0);
  put32(&out, dataBytes);
  put32(&out, 2835);
  put32(&out, 2835);
  put32(&out, 0);
  put32(&out, 0);
  const int spp = picture.spp;
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* row = picture.samples.data() + static_cast<size_t>(y) * w * spp;
    for (uint32_t x = 0; x < w; ++x) {
      const uint8_t* p = row + static_cast<size_t>(x) * spp;
      out.push_back(static_cast<char>(p[spp - 1]));  // blue, green, red
      out.push_back(static_cast<char>(p[(spp - 1) / 2]));
      out.push_back(static_cast<char>(p[0]));
    }
    out.append(rowBytes - 3 * w, '\0');
  }
  return out;
}

}  // namespace lftm_tune
