// SPDX-License-Identifier: BSD-3-Clause
// TIFF frames through libtiff: unsigned 8- or 16-bit samples, grey or colour (extra samples
// such as alpha dropped), pixels interleaved. EXIF values come from the EXIF directory.
#include <tiffio.h>

#include <cstring>
#include <vector>

#include "common/quiet_tiff.h"
#include "frame_reader/decoded_frame.h"
#include "lftm.h"

namespace lftm_sibling {
namespace {

struct Layout {
  uint32_t width = 0, height = 0;
  uint16_t spp = 1, bits = 0, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK, orientation = ORIENTATION_TOPLEFT;
};

void read_layout(TIFF* tif, Layout* l) {
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l->width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l->height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l->spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l->bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l->format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l->planar);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l->photometric);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l->orientation);
}

bool readable(const Layout& l) {
  const bool grey = l.photometric == PHOTOMETRIC_MINISBLACK && l.spp >= 1;
  const bool rgb = l.photometric == PHOTOMETRIC_RGB && l.spp >= 3;
  return (grey || rgb) && (l.bits == 8 || l.bits == 16) && l.format == SAMPLEFORMAT_UINT &&
         (l.planar == PLANARCONFIG_CONTIG || l.spp == 1) && l.width > 0 && l.height > 0 &&
         l.width <= 0x7fffffff && l.height <= 0x7fffffff;
}

// Exposure time, f-number, ISO and capture time of the EXIF directory, when the file has one.
void read_exif_directory(TIFF* tif, DecodedFrame* frame) {
  toff_t offset = 0;
  if (TIFFGetField(tif, TIFFTAG_EXIFIFD, &offset) == 0 || !TIFFReadEXIFDirectory(tif, offset)) {
    return;
  }
  double value = 0;
  if (TIFFGetField(tif, EXIFTAG_EXPOSURETIME, &value) != 0 && value > 0) frame->exif[0] = value;
  if (TIFFGetField(tif, EXIFTAG_FNUMBER, &value) != 0 && value > 0) frame->exif[1] = value;
  uint16_t count = 0;
  uint16_t* iso = nullptr;
  if (TIFFGetField(tif, EXIFTAG_ISOSPEEDRATINGS, &count, &iso) != 0 && count > 0) {
    frame->exif[2] = iso[0];
  }
  const char* taken = nullptr;
  const char* subsec = nullptr;
  if (TIFFGetField(tif, EXIFTAG_DATETIMEORIGINAL, &taken) != 0) {
    if (TIFFGetField(tif, EXIFTAG_SUBSECTIMEORIGINAL, &subsec) == 0) subsec = nullptr;
    const double capture = capture_seconds(taken, subsec);
    if (capture > 0) frame->exif[3] = capture;
  }
  TIFFSetDirectory(tif, 0);
}

bool read_rows(TIFF* tif, const Layout& l, DecodedFrame* frame) {
  const size_t sampleBytes = l.bits / 8;
  const size_t outRow = static_cast<size_t>(l.width) * frame->channels * sampleBytes;
  std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize64(tif)));
  if (row.size() < static_cast<size_t>(l.width) * l.spp * sampleBytes) return false;
  frame->samples.resize(frame_bytes(frame->width, frame->height, frame->channels, l.bits));
  if (frame->samples.empty()) return false;
  for (uint32_t y = 0; y < l.height; ++y) {
    if (TIFFReadScanline(tif, row.data(), y, 0) < 0) return false;
    uint8_t* dst = frame->samples.data() + outRow * y;
    for (uint32_t x = 0; x < l.width; ++x) {
      std::memcpy(dst + x * frame->channels * sampleBytes, row.data() + x * l.spp * sampleBytes,
                  frame->channels * sampleBytes);
    }
  }
  return true;
}

}  // namespace

int32_t decode_tiff_frame(const char* path, bool pixels, DecodedFrame* frame) {
  TIFF* tif = open_tiff_quietly(path, "r");
  if (tif == nullptr) return LFTM_ERR_SIB_OPEN;
  Layout layout;
  read_layout(tif, &layout);
  int32_t result = readable(layout) ? 1 : LFTM_ERR_SIB_LAYOUT;
  if (result == 1) {
    frame->width = static_cast<int>(layout.width);
    frame->height = static_cast<int>(layout.height);
    frame->channels = layout.photometric == PHOTOMETRIC_RGB ? 3 : 1;
    frame->bits = layout.bits;
    if (layout.orientation >= 1 && layout.orientation <= 8) {
      frame->orientation = layout.orientation;
    }
    read_exif_directory(tif, frame);
    if (pixels && !read_rows(tif, layout, frame)) result = LFTM_ERR_SIB_DECODE;
  }
  TIFFClose(tif);
  if (result < 0) frame->samples.clear();
  return result;
}

}  // namespace lftm_sibling
