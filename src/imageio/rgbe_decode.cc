// SPDX-License-Identifier: BSD-3-Clause
#include "imageio/rgbe_decode.h"

#include <cstring>

#include "lftm.h"

namespace lftm {
namespace {

// One component of one row: `width` bytes of runs and literals, stored in out unless out is
// null (then the structure is only checked).
int decode_component(const uint8_t* data, size_t size, size_t* pos, int width,
                     unsigned char* out) {
  int x = 0;
  size_t p = *pos;
  while (x < width) {
    if (p >= size) return LFTM_ERR_RGBE_SHORT;
    int code = data[p++];
    if (code > 128) {
      int count = code - 128;
      if (count > width - x) return LFTM_ERR_RGBE_RUN;
      if (p >= size) return LFTM_ERR_RGBE_SHORT;
      if (out != nullptr) std::memset(out + x, data[p], static_cast<size_t>(count));
      ++p;
      x += count;
    } else {
      if (code == 0 || code > width - x) return LFTM_ERR_RGBE_LITERAL;
      if (size - p < static_cast<size_t>(code)) return LFTM_ERR_RGBE_SHORT;
      if (out != nullptr) std::memcpy(out + x, data + p, static_cast<size_t>(code));
      p += static_cast<size_t>(code);
      x += code;
    }
  }
  *pos = p;
  return 0;
}

}  // namespace

int decode_flat_rows(const uint8_t* data, size_t size, int width, int height,
                     unsigned char* dst) {
  const size_t row_bytes = static_cast<size_t>(4) * width;
  if (size / row_bytes < static_cast<size_t>(height)) return LFTM_ERR_RGBE_SHORT;
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = data + row_bytes * y;
    unsigned char* r = dst + row_bytes * y;
    unsigned char* g = r + width;
    unsigned char* b = g + width;
    unsigned char* e = b + width;
    for (int x = 0; x < width; ++x, in += 4) {
      r[x] = in[0];
      g[x] = in[1];
      b[x] = in[2];
      e[x] = in[3];
    }
  }
  return height;
}

int decode_run_length_rows(const uint8_t* data, size_t size, int width, int height,
                           unsigned char* dst, size_t* end) {
  const size_t row_bytes = static_cast<size_t>(4) * width;
  size_t pos = 0;
  for (int y = 0; y < height; ++y) {
    if (size - pos < 4) return LFTM_ERR_RGBE_SHORT;
    int row_width = data[pos + 2] * 256 + data[pos + 3];
    if (row_width != width) return LFTM_ERR_RGBE_ROW_WIDTH;
    pos += 4;
    unsigned char* row = dst == nullptr ? nullptr : dst + row_bytes * y;
    for (int c = 0; c < 4; ++c) {
      unsigned char* out = row == nullptr ? nullptr : row + static_cast<size_t>(c) * width;
      int rc = decode_component(data, size, &pos, width, out);
      if (rc < 0) return rc;
    }
  }
  if (end != nullptr) *end = pos;
  return height;
}

int decode_rgbe_pixels(const uint8_t* data, size_t size, int width, int height,
                       unsigned char* dst) {
  if (starts_run_length(data, size)) {
    return decode_run_length_rows(data, size, width, height, dst, nullptr);
  }
  return decode_flat_rows(data, size, width, height, dst);
}

}  // namespace lftm
