// SPDX-License-Identifier: BSD-3-Clause
// The EXIF block of the JPEG writer: the texts the TIFF writer stores as tags (description,
// artist, copyright, software) with the usual minimal tags, as the payload of an APP1 segment.
#ifndef LFTM_SIBLINGS_JPEG_WRITER_EXIF_SEGMENT_H_
#define LFTM_SIBLINGS_JPEG_WRITER_EXIF_SEGMENT_H_

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lftm_sibling {

// The most one JPEG marker segment carries: its 16-bit length field counts itself too.
constexpr size_t kMaxSegmentPayload = 65533;

// Texts of the EXIF block; null leaves the tag out.
struct ExifTexts {
  const char* description = nullptr;  // ImageDescription (270)
  const char* artist = nullptr;       // Artist (315)
  const char* copyright = nullptr;    // Copyright (33432)
  const char* software = nullptr;     // Software (305)
};

// What the EXIF block says about the image.
struct ExifImage {
  int32_t width;
  int32_t height;
  int32_t dpi;
  bool colour;  // YCbCr, else grey
  bool srgb;    // sRGB colour space, else uncalibrated
};

// "Exif\0\0" followed by a little-endian TIFF structure: IFD0 with the texts, orientation,
// resolution and a pointer to an EXIF IFD (version, components, colour space, pixel size).
// The payload never exceeds kMaxSegmentPayload: texts too long to fit together are
// shortened, the longest first, at a UTF-8 character boundary.
std::vector<uint8_t> exif_segment(const ExifTexts& texts, const ExifImage& image);

}  // namespace lftm_sibling

#endif  // LFTM_SIBLINGS_JPEG_WRITER_EXIF_SEGMENT_H_
