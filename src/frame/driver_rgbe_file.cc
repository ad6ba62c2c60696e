// SPDX-License-Identifier: BSD-3-Clause
#include "frame/driver_rgbe_file.h"

#include <cstdio>
#include <vector>

#include "imageio/rgbe_decode.h"
#include "lftm.h"

namespace lftm {
namespace {

constexpr int kLongestRun = 127;
constexpr int kLongestLiteral = 128;

// Run-length codes of one component row: a byte c > 128 repeats the next byte c - 128
// times, a byte c <= 128 is followed by c literal bytes.
void encode_component(const uint8_t* data, int width, std::vector<uint8_t>* out) {
  int i = 0;
  while (i < width) {
    int run = 1;
    while (i + run < width && run < kLongestRun && data[i + run] == data[i]) ++run;
    if (run >= 3) {
      out->push_back(static_cast<uint8_t>(128 + run));
      out->push_back(data[i]);
      i += run;
      continue;
    }
    // A literal stretch up to the next run of three or more equal bytes.
    int start = i;
    while (i < width && i - start < kLongestLiteral) {
      if (i + 2 < width && data[i] == data[i + 1] && data[i] == data[i + 2]) break;
      ++i;
    }
    out->push_back(static_cast<uint8_t>(i - start));
    out->insert(out->end(), data + start, data + i);
  }
}

}  // namespace

int write_rgbe_file(const char* path, int32_t width, int32_t height, const uint8_t* planar) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return LFTM_ERR_IO;
  bool ok = std::fprintf(file, "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y %d +X %d\n", height,
                         width) > 0;
  const bool runLength = width < 32768;
  std::vector<uint8_t> row;
  for (int32_t y = 0; ok && y < height; ++y) {
    const uint8_t* src = planar + 4 * static_cast<size_t>(width) * y;
    row.clear();
    if (runLength) {
      row.push_back(2);
      row.push_back(2);
      row.push_back(static_cast<uint8_t>(width >> 8));
      row.push_back(static_cast<uint8_t>(width & 0xff));
      for (int c = 0; c < 4; ++c) encode_component(src + static_cast<size_t>(c) * width, width, &row);
    } else {
      for (int32_t x = 0; x < width; ++x) {
        for (int c = 0; c < 4; ++c) row.push_back(src[static_cast<size_t>(c) * width + x]);
      }
      // The reader takes a flat file that starts like a run-length row for one, and skips a
      // line feed before bytes that do; only then (an unnormalised first pixel, which the
      // sibling readers produce only for sub-normal values) does the first red mantissa
      // move by one step. Every other image is copied exactly.
      if (y == 0 && (starts_run_length(row.data(), row.size()) ||
                     (row[0] == '\n' && starts_run_length(row.data() + 1, row.size() - 1)))) {
        ++row[0];
      }
    }
    ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  ok = (std::fclose(file) == 0) && ok;
  return ok ? 0 : LFTM_ERR_IO;
}

}  // namespace lftm
