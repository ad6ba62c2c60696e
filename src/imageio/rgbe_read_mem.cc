// The whole-file RGBE reader: loads the file into memory and decodes it there.
#include <cstdio>
#include <cstring>

#include "imageio/rgbe_decode.h"
#include "imageio/rgbe_reader.h"
#include "imageio/rgbe_text.h"
#include "platform/heap_buffer.h"

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
long long pixel_data_start(const uint8_t* buf, size_t size, size_t lf, int width, int height) {
  size_t p = lf + 6;
  while (p < size && buf[p] != '\n') ++p;
  if (p >= size) return kNotFound;
  ++p;
  if (p < size && buf[p] == '\n') {
    const size_t pixels = static_cast<size_t>(4) * width * height;
    bool run_length_follows = starts_run_length(buf + p + 1, size - p - 1);
    bool one_extra_byte = size - p == pixels + 1;
    if (run_length_follows || one_extra_byte) ++p;
  }
  return static_cast<long long>(p);
}

}  // namespace

int rgbe_read_mem(const char* path, const HdrFileInfo* info, unsigned char* dst) {
  const int width = info->infos[0];
  const int height = info->infos[1];
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return LFTM_ERR_RGBE_OPEN;
  const long long length = rgbe_file_length(file, info->infos[2]);
  if (!rgbe_size_ok(width, height) || length <= 0) {
    std::fclose(file);
    return LFTM_ERR_RGBE_BAD_SIZE;
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
  long long start = pixel_data_start(buf, size, static_cast<size_t>(lf), width, height);
  if (start == kNotFound) return LFTM_ERR_RGBE_SHORT;
  return decode_rgbe_pixels(buf + start, size - static_cast<size_t>(start), width, height, dst);
}

}  // namespace lftm
