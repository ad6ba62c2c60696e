// SPDX-License-Identifier: BSD-3-Clause
#include "tiff_reader/tiff_layout.h"

#include "common/quiet_tiff.h"

namespace lftm_sibling {

TiffHandle open_directory(const char* path, int32_t directory) {
  if (path == nullptr || directory < 0) return TiffHandle();
  TiffHandle tif(open_tiff_quietly(path, "r"));
  if (tif && directory > 0 && TIFFSetDirectory(tif.get(), static_cast<tdir_t>(directory)) != 1) {
    return TiffHandle();
  }
  return tif;
}

Layout read_layout(TIFF* tif) {
  Layout l;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &l.compression);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric)) {
    l.photometric = l.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  }
  l.tiled = TIFFIsTiled(tif) != 0;
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    TIFFGetField(tif, TIFFTAG_COLORMAP, &l.palette[0], &l.palette[1], &l.palette[2]);
  }
  if (l.photometric == PHOTOMETRIC_YCBCR && l.compression == COMPRESSION_JPEG) {
    TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    l.photometric = PHOTOMETRIC_RGB;
  }
  return l;
}

bool float_readable(const Layout& l) {
  if (l.format != SAMPLEFORMAT_IEEEFP || l.bits != 32) return false;
  if (l.width == 0 || l.height == 0) return false;
  if (l.photometric == PHOTOMETRIC_MINISBLACK) return l.spp == 1 || l.spp == 2;
  return l.photometric == PHOTOMETRIC_RGB && (l.spp == 3 || l.spp == 4);
}

}  // namespace lftm_sibling
