// SPDX-License-Identifier: BSD-3-Clause
// The streaming RGBE reader: decodes straight from the open file, with one row buffer for flat
// files and byte-by-byte reads for run-length files. It needs no memory of the file's size.
#include <cstdio>
#include <cstring>

#include "imageio/rgbe_reader.h"
#include "imageio/rgbe_text.h"
#include "platform/heap_buffer.h"
#include "platform/input_file.h"

namespace lftm {
namespace {

int read_flat(std::FILE* file, int width, int height, unsigned char* dst) {
  const size_t row_bytes = static_cast<size_t>(4) * width;
  HeapBuffer<unsigned char> buffer;
  if (!buffer.allocate(row_bytes)) return LFTM_ERR_NO_MEMORY;
  unsigned char* row = buffer.get();
  for (int y = 0; y < height; ++y) {
    if (std::fread(row, 1, row_bytes, file) != row_bytes) return LFTM_ERR_RGBE_SHORT;
    unsigned char* out = dst + row_bytes * y;
    for (int x = 0; x < width; ++x) {
      out[x] = row[4 * x];
      out[width + x] = row[4 * x + 1];
      out[2 * width + x] = row[4 * x + 2];
      out[3 * width + x] = row[4 * x + 3];
    }
  }
  return height;
}

int read_component(std::FILE* file, int width, unsigned char* out) {
  int x = 0;
  while (x < width) {
    int code = getc_unlocked(file);
    if (code == EOF) return LFTM_ERR_RGBE_SHORT;
    if (code > 128) {
      int count = code - 128;
      if (count > width - x) return LFTM_ERR_RGBE_RUN;
      int value = getc_unlocked(file);
      if (value == EOF) return LFTM_ERR_RGBE_SHORT;
      std::memset(out + x, value, static_cast<size_t>(count));
      x += count;
    } else {
      if (code == 0 || code > width - x) return LFTM_ERR_RGBE_LITERAL;
      if (std::fread(out + x, 1, static_cast<size_t>(code), file) !=
          static_cast<size_t>(code)) {
        return LFTM_ERR_RGBE_SHORT;
      }
      x += code;
    }
  }
  return 0;
}

int read_run_length(std::FILE* file, int width, int height, unsigned char* dst) {
  const size_t row_bytes = static_cast<size_t>(4) * width;
  for (int y = 0; y < height; ++y) {
    unsigned char header[4];
    if (std::fread(header, 1, 4, file) != 4) return LFTM_ERR_RGBE_SHORT;
    if (header[2] & 0x80) return LFTM_ERR_RGBE_ROW_WIDTH;
    if (header[2] * 256 + header[3] != width) return LFTM_ERR_RGBE_ROW_WIDTH;
    unsigned char* row = dst + row_bytes * y;
    for (int c = 0; c < 4; ++c) {
      int rc = read_component(file, width, row + static_cast<size_t>(c) * width);
      if (rc < 0) return rc;
    }
  }
  return height;
}

int read_pixels(std::FILE* file, const HdrFileInfo* info, unsigned char* dst) {
  const int width = info->infos[LFTM_INFO_WIDTH];
  const int height = info->infos[LFTM_INFO_HEIGHT];
  if (!rgbe_size_ok(width, height)) return LFTM_ERR_RGBE_BAD_SIZE;

  bool found = false;
  char line[kRgbeLineMax + 1];
  for (int i = 0; i < kRgbeHeaderLines && !found; ++i) {
    if (!read_header_line(file, line)) return LFTM_ERR_RGBE_SHORT;
    int h = 0;
    int w = 0;
    if (match_resolution(line, &h, &w)) {
      if (h != height || w != width) return LFTM_ERR_RGBE_BAD_SIZE;
      found = true;
    }
  }
  if (!found) return LFTM_ERR_RGBE_BAD_SIZE;

  unsigned char probe[4];
  long long mark = ftello(file);
  bool probed = mark >= 0 && std::fread(probe, 1, 4, file) == 4 &&
                fseeko(file, mark, SEEK_SET) == 0;
  bool run_length = probed && probe[0] == 2 && probe[1] == 2 && probe[2] < 128;
  if (!probed) return LFTM_ERR_RGBE_SHORT;
  return run_length ? read_run_length(file, width, height, dst)
                    : read_flat(file, width, height, dst);
}

}  // namespace

int rgbe_read_stream(const char* path, const HdrFileInfo* info, unsigned char* dst) {
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) return LFTM_ERR_RGBE_OPEN;
  int rc = read_pixels(file, info, dst);
  std::fclose(file);
  return rc;
}

}  // namespace lftm
