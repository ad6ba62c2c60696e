// SPDX-License-Identifier: BSD-3-Clause
// A bracket frame as one of the three decoders leaves it: samples as stored in the file
// (before the EXIF orientation), plus what its EXIF block says.
#ifndef LFTM_SIBLINGS_FRAME_READER_DECODED_FRAME_H_
#define LFTM_SIBLINGS_FRAME_READER_DECODED_FRAME_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lftm_sibling {

struct DecodedFrame {
  int width = 0;               // as stored
  int height = 0;              // as stored
  int channels = 0;            // 1 or 3
  int bits = 0;                // 8 or 16
  int orientation = 1;         // EXIF orientation 1..8
  // exposure time, f-number, ISO, capture time (lfframe_info's slots)
  double exif[4] = {0, 0, 0, 0};
  // width x height x channels samples, rows packed; 16-bit ones in machine order. Empty
  // when only the header was asked for.
  std::vector<uint8_t> samples;
};

// Each decoder reads the header (and, with `pixels`, every sample) of its format into
// `frame`. Returns 1 or a negative LFTM_ERR_SIB_* code; a file that ends early or carries
// a damaged segment is refused whole.
int32_t decode_jpeg_frame(const char* path, bool pixels, DecodedFrame* frame);
int32_t decode_png_frame(const char* path, bool pixels, DecodedFrame* frame);
int32_t decode_tiff_frame(const char* path, bool pixels, DecodedFrame* frame);

// Reads orientation, exposure time, f-number, ISO and capture time from an EXIF block: the
// payload of a JPEG APP1 segment ("Exif\0\0" and a TIFF header) or of a PNG eXIf chunk (the
// TIFF header alone). Values the block lacks are left as they are.
void read_exif_block(const uint8_t* data, size_t size, DecodedFrame* frame);

// DateTimeOriginal "YYYY:MM:DD HH:MM:SS" and SubSecTimeOriginal digits (may be null) as
// seconds since 1970 read as UTC; 0 when the date is missing or malformed.
double capture_seconds(const char* datetime, const char* subsec);

// Bytes of width x height x channels samples of `bits`, or 0 when that does not fit in
// memory sizes.
size_t frame_bytes(int width, int height, int channels, int bits);

}  // namespace lftm_sibling

#endif  // LFTM_SIBLINGS_FRAME_READER_DECODED_FRAME_H_
