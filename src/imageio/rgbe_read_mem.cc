// SPDX-License-Identifier: BSD-3-Clause
// The whole-file RGBE reader: loads the file into memory and decodes it there.
#include <cstdio>
#include <cstring>

#include "imageio/rgbe_decode.h"
#include "imageio/rgbe_reader.h"
#include "imageio/rgbe_text.h"
#include "platform/heap_buffer.h"
#include "platform/input_file.h"

namespace lftm {
namespace {

constexpr long long kNotFound = -1;

// Finds a line feed followed by "-Y h +X w"; returns its offset or kNotFound.
long long find_resolution(const uint8_t* buf, size_t size, int* height, int* width) {
  char text[kRgbeLineMax + 1];
  for (size_t i = 0; i < size; ++i) {
    if (buf[i] != '\n') continue;
    size_t n = size - i - 1;
    if (n > kRgbeLineMax) n = kRgbeLineMax;
    std::memcpy(text, buf + i + 1, n);
    text[n] = '\0';
    if (match_resolution(text, height, width)) return static_cast<long long>(i);
  }
  return kNotFound;
}

// Offset of the first pixel byte after the resolution line that starts at line feed `lf`.
// A second line feed right after that line is skipped only when it cannot be pixel data:
// before run-length rows (which start with 2, 2), or in a flat file that holds exactly one
// byte more than its pixels. kNotFound when the resolution line does not end.
// `buf` holds the first `size` bytes of a file of `length` bytes.
long long pixel_data_start(const uint8_t* buf, size_t size, size_t length, size_t lf, int width,
                           int height) {
  size_t p = lf + 6;
  while (p < size && buf[p] != '\n') ++p;
  if (p >= size) return kNotFound;
  ++p;
  if (p < size && buf[p] == '\n') {
    const size_t pixels = static_cast<size_t>(4) * width * height;
    bool run_length_follows = starts_run_length(buf + p + 1, size - p - 1);
    bool one_extra_byte = length - p == pixels + 1;
    if (run_length_follows || one_extra_byte) ++p;
  }
  return static_cast<long long>(p);
}

// A flat file larger than this is decoded in blocks of rows as it is read, instead of being
// loaded whole: a panorama's file would otherwise double the memory of the read.
constexpr long long kWholeFileLimit = 256LL << 20;
constexpr size_t kHeadBytes = 64 * 1024;
constexpr size_t kBlockBytes = 16 << 20;

// The block-wise read of a large flat file: the head is read to find the data as the whole-
// file reader does, then the rows are decoded block by block. Returns the height or a reader
// code, or kNotFound when the file is not such a file (run-length rows, or a resolution line
// past the head): the whole-file reader then takes it.
long long read_large_flat(std::FILE* file, long long length, int width, int height,
                          unsigned char* dst) {
  HeapBuffer<uint8_t> block;
  const size_t rowBytes = static_cast<size_t>(4) * width;
  const size_t blockRows = rowBytes >= kBlockBytes ? 1 : kBlockBytes / rowBytes;
  if (!block.allocate(blockRows * rowBytes > kHeadBytes ? blockRows * rowBytes : kHeadBytes)) {
    return kNotFound;
  }
  const size_t head = std::fread(block.get(), 1, kHeadBytes, file);
  int fileHeight = 0;
  int fileWidth = 0;
  // The resolution line and the bytes that decide where the data starts lie in the head.
  const long long lf = find_resolution(block.get(), head, &fileHeight, &fileWidth);
  if (lf == kNotFound || lf + 2 * (kRgbeLineMax + 2) > static_cast<long long>(head)) {
    return kNotFound;
  }
  if (fileHeight != height || fileWidth != width) return LFTM_ERR_RGBE_BAD_SIZE;
  const long long start = pixel_data_start(block.get(), head, static_cast<size_t>(length),
                                           static_cast<size_t>(lf), width, height);
  // The bytes that tell run-length rows from flat ones must lie in the head too.
  if (start == kNotFound || start + 8 > static_cast<long long>(head) ||
      starts_run_length(block.get() + start, head - start)) {
    return kNotFound;
  }
  if (static_cast<size_t>(length - start) / rowBytes < static_cast<size_t>(height)) {
    return LFTM_ERR_RGBE_SHORT;
  }
  if (fseeko(file, start, SEEK_SET) != 0) return LFTM_ERR_RGBE_SHORT;
  for (int y = 0; y < height;) {
    const int rows = static_cast<int>(
        blockRows < static_cast<size_t>(height - y) ? blockRows : static_cast<size_t>(height - y));
    const size_t bytes = rowBytes * rows;
    if (std::fread(block.get(), 1, bytes, file) != bytes) return LFTM_ERR_RGBE_SHORT;
    decode_flat_rows(block.get(), bytes, width, rows, dst + rowBytes * y);
    y += rows;
  }
  return height;
}

}  // namespace

long long rgbe_read_mem_bytes(long long length, int width, int height) {
  const long long pixelBytes = 4LL * width * height;
  const bool flat =
      length >= pixelBytes && length - pixelBytes < static_cast<long long>(kHeadBytes);
  return length > kWholeFileLimit && flat ? static_cast<long long>(kBlockBytes) : length;
}

int rgbe_read_mem(const char* path, const HdrFileInfo* info, unsigned char* dst, int threads) {
  const int width = info->infos[LFTM_INFO_WIDTH];
  const int height = info->infos[LFTM_INFO_HEIGHT];
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) return LFTM_ERR_RGBE_OPEN;
  const long long length = rgbe_file_length(file, info->infos[LFTM_INFO_FILE_LENGTH]);
  if (!rgbe_size_ok(width, height) || length <= 0) {
    std::fclose(file);
    return LFTM_ERR_RGBE_BAD_SIZE;
  }
  if (length > kWholeFileLimit) {
    const long long read = read_large_flat(file, length, width, height, dst);
    if (read != kNotFound) {
      std::fclose(file);
      return static_cast<int>(read);
    }
    if (fseeko(file, 0, SEEK_SET) != 0) {
      std::fclose(file);
      return LFTM_ERR_RGBE_SHORT;
    }
  }
  HeapBuffer<uint8_t> whole;
  if (!whole.allocate(static_cast<size_t>(length))) {
    std::fclose(file);
    return rgbe_read_stream(path, info, dst);
  }
  const uint8_t* buf = whole.get();
  size_t size = static_cast<size_t>(length);
  size_t got = std::fread(whole.get(), 1, size, file);
  std::fclose(file);
  if (got != size) return LFTM_ERR_RGBE_SHORT;

  int file_height = 0;
  int file_width = 0;
  long long lf = find_resolution(buf, size, &file_height, &file_width);
  if (lf == kNotFound || file_height != height || file_width != width) {
    return LFTM_ERR_RGBE_BAD_SIZE;
  }
  long long start = pixel_data_start(buf, size, size, static_cast<size_t>(lf), width, height);
  if (start == kNotFound) return LFTM_ERR_RGBE_SHORT;
  return decode_rgbe_pixels_banded(buf + start, size - static_cast<size_t>(start), width, height,
                                   dst, threads);
}

}  // namespace lftm
