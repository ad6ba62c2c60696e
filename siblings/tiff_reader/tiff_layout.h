// SPDX-License-Identifier: BSD-3-Clause
// What the TIFF reader learns about one directory of a file, shared by its 16-bit and its
// floating-point decoders.
#ifndef LFTM_SIBLINGS_TIFF_READER_TIFF_LAYOUT_H_
#define LFTM_SIBLINGS_TIFF_READER_TIFF_LAYOUT_H_

#include <tiffio.h>

#include <cstdint>
#include <memory>

namespace lftm_sibling {

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct Layout {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t spp = 1;           // samples stored per pixel
  uint16_t bits = 1;
  uint16_t format = SAMPLEFORMAT_UINT;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  bool tiled = false;
  uint16_t* palette[3] = {nullptr, nullptr, nullptr};
};

// Opens directory `directory` (0 = the first image) without messages; null when it cannot.
TiffHandle open_directory(const char* path, int32_t directory);

// The layout of the current directory. JPEG-compressed YCbCr files are set to be decoded to
// RGB by libtiff itself, and are described as RGB.
Layout read_layout(TIFF* tif);

// True for 32-bit floating-point samples, grey (1 or 2 samples, the second being alpha) or RGB
// (3 or 4, the fourth being alpha), in strips or tiles, contiguous or in separate planes.
bool float_readable(const Layout& l);

}  // namespace lftm_sibling

#endif  // LFTM_SIBLINGS_TIFF_READER_TIFF_LAYOUT_H_
