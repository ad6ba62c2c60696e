// SPDX-License-Identifier: BSD-3-Clause
// lfframe_info and lfframe_read: a bracket frame (JPEG, PNG or TIFF, found by its first
// bytes) delivered upright as interleaved RGB samples of its own depth.
#include <cstdio>
#include <cstring>

#include "frame_reader/decoded_frame.h"
#include "imageio/frame_sibling_api.h"

namespace {

using lftm_sibling::DecodedFrame;

int32_t format_of(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return LFTM_ERR_SIB_OPEN;
  unsigned char head[8] = {0};
  const size_t got = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  if (got >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return LFFRAME_JPEG;
  if (got == 8 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0) return LFFRAME_PNG;
  if (got >= 4 && (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0)) {
    return LFFRAME_TIFF;
  }
  return LFTM_ERR_SIB_OPEN;
}

int32_t decode(const char* path, bool pixels, DecodedFrame* frame, int32_t* format) {
  if (path == nullptr) return LFTM_ERR_SIB_OPEN;
  *format = format_of(path);
  switch (*format) {
    case LFFRAME_JPEG: return lftm_sibling::decode_jpeg_frame(path, pixels, frame);
    case LFFRAME_PNG: return lftm_sibling::decode_png_frame(path, pixels, frame);
    case LFFRAME_TIFF: return lftm_sibling::decode_tiff_frame(path, pixels, frame);
    default: return *format;
  }
}

// Orientations 5 to 8 turn the picture a quarter: its rows become columns.
bool swaps_sides(int orientation) { return orientation >= 5; }

// The stored pixel shown at (x, y) of the upright picture, for the EXIF orientation.
void stored_position(const DecodedFrame& f, int x, int y, int* sx, int* sy) {
  const int w = f.width, h = f.height;
  switch (f.orientation) {
    case 2:
      *sx = w - 1 - x;
      *sy = y;
      break;
    case 3:
      *sx = w - 1 - x;
      *sy = h - 1 - y;
      break;
    case 4:
      *sx = x;
      *sy = h - 1 - y;
      break;
    case 5:
      *sx = y;
      *sy = x;
      break;
    case 6:
      *sx = y;
      *sy = h - 1 - x;
      break;
    case 7:
      *sx = w - 1 - y;
      *sy = h - 1 - x;
      break;
    case 8:
      *sx = w - 1 - y;
      *sy = x;
      break;
    default:
      *sx = x;
      *sy = y;
      break;
  }
}

template <typename Sample>
void deliver(const DecodedFrame& f, int width, int height, Sample* dst) {
  const Sample* src = reinterpret_cast<const Sample*>(f.samples.data());
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int sx = 0, sy = 0;
      stored_position(f, x, y, &sx, &sy);
      const Sample* s = src + (static_cast<size_t>(sy) * f.width + sx) * f.channels;
      Sample* d = dst + (static_cast<size_t>(y) * width + x) * 3;
      for (int k = 0; k < 3; ++k) d[k] = s[f.channels == 1 ? 0 : k];
    }
  }
}

}  // namespace

extern "C" int32_t lfframe_info(const char* path, int32_t* layout, double* exif) {
  DecodedFrame frame;
  int32_t format = 0;
  const int32_t result = decode(path, false, &frame, &format);
  if (result < 0) return result;
  const bool swap = swaps_sides(frame.orientation);
  layout[LFFRAME_WIDTH] = swap ? frame.height : frame.width;
  layout[LFFRAME_HEIGHT] = swap ? frame.width : frame.height;
  layout[LFFRAME_CHANNELS] = frame.channels;
  layout[LFFRAME_BITS] = frame.bits;
  layout[LFFRAME_ORIENTATION] = frame.orientation;
  layout[LFFRAME_FORMAT] = format;
  for (int i = 0; i < LFFRAME_EXIF_SLOTS; ++i) exif[i] = frame.exif[i];
  return 1;
}

extern "C" int32_t lfframe_read(const char* path, int32_t width, int32_t height, int32_t bits,
                                void* dst) {
  DecodedFrame frame;
  int32_t format = 0;
  const int32_t result = decode(path, true, &frame, &format);
  if (result < 0) return result;
  const bool swap = swaps_sides(frame.orientation);
  if (width != (swap ? frame.height : frame.width) ||
      height != (swap ? frame.width : frame.height) || bits != frame.bits || dst == nullptr) {
    return LFTM_ERR_SIB_SIZE;
  }
  if (bits == 16) {
    deliver(frame, width, height, static_cast<uint16_t*>(dst));
  } else {
    deliver(frame, width, height, static_cast<uint8_t*>(dst));
  }
  return height;
}
