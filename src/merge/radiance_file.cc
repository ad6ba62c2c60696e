// SPDX-License-Identifier: BSD-3-Clause
#include "merge/radiance_file.h"

#include <cstdio>
#include <vector>

#include "lftm.h"

namespace lftm {

int32_t write_radiance_file(const char* path, const uint8_t* rgbe, int width, int height) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return LFTM_ERR_WRITER_CREATE;
  std::fprintf(file, "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\nSOFTWARE=lftm\n\n-Y %d +X %d\n", height,
               width);
  const size_t w = static_cast<size_t>(width);
  std::vector<uint8_t> row(4 * w);
  bool written = true;
  for (int y = 0; y < height && written; ++y) {
    const uint8_t* planes = rgbe + 4 * w * static_cast<size_t>(y);
    for (size_t x = 0; x < w; ++x) {
      for (size_t k = 0; k < 4; ++k) row[4 * x + k] = planes[k * w + x];
    }
    written = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  if (std::fclose(file) != 0 || !written) return LFTM_ERR_WRITER_IO;
  return 0;
}

}  // namespace lftm
