// SPDX-License-Identifier: BSD-3-Clause
// The header parser: finds the resolution line and the optional chromaticities.
#include <cstdio>

#include "imageio/rgbe_decode.h"
#include "imageio/rgbe_reader.h"
#include "imageio/rgbe_text.h"
#include "platform/input_file.h"

namespace lftm {
namespace {

// True when the bytes after the resolution line (the file is positioned there) can hold the
// pixels, flat or run-length as their first bytes say. The whole-file reader may skip one
// line feed before run-length rows, so that case is looked at too.
bool data_can_fit(std::FILE* file, long long length, int width, int height) {
  const long long start = ftello(file);
  if (start < 0) return false;
  uint8_t head[4] = {0, 0, 0, 0};
  const size_t got = std::fread(head, 1, sizeof head, file);
  const bool runLength = starts_run_length(head, got) ||
                         (got > 0 && head[0] == '\n' && starts_run_length(head + 1, got - 1));
  return length - start >= rgbe_least_data_bytes(width, height, runLength);
}

}  // namespace

int rgbe_read_header(const char* path, float primaries[8], HdrFileInfo* info) {
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) return LFTM_ERR_RGBE_OPEN;
  long long length = -1;
  if (fseeko(file, 0, SEEK_END) == 0) length = ftello(file);
  if (length < 0 || fseeko(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return LFTM_ERR_RGBE_SEEK;
  }

  // The first lines are examined, or the whole file when it ends sooner: a file that ends
  // without a resolution line has none.
  RgbeHeaderLines header;
  const bool read = scan_rgbe_header(file, &header);
  if (header.allPrimaries) info->infos[LFTM_INFO_PRIMARIES] = 32;
  if (!read) {
    std::fclose(file);
    return LFTM_ERR_RGBE_SHORT;
  }
  const int width = header.width;
  const int height = header.height;
  // A size that is zero, negative or too large for the library's buffers is no usable size.
  if (header.sizeIndex < 0 || !rgbe_size_ok(width, height)) {
    std::fclose(file);
    return LFTM_ERR_RGBE_NO_SIZE;
  }
  // A file too short for the size it declares ends early: said now, before a caller
  // allocates the image.
  const bool fits = data_can_fit(file, length, width, height);
  std::fclose(file);
  if (!fits) return LFTM_ERR_RGBE_SHORT;

  info->infos[LFTM_INFO_WIDTH] = width;
  info->infos[LFTM_INFO_HEIGHT] = height;
  info->infos[LFTM_INFO_FILE_LENGTH] =
      length >= kRgbeLongFile ? kRgbeLongFile : static_cast<int>(length);
  for (int k = 0; k < 8; ++k) {
    primaries[k] = info->infos[LFTM_INFO_PRIMARIES] > 0 ? header.primaries[k] : 0.0f;
  }
  return header.sizeIndex;
}

}  // namespace lftm
