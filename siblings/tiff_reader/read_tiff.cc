// SPDX-License-Identifier: BSD-3-Clause
// Lumenforge_Tiff: infotif and LFreadtifflat, 8- and 16-bit TIFF input through libtiff
// (1 to 4 samples per pixel, palette images, strips or tiles, contiguous or separate planes,
// any compression libtiff decodes). Floating-point files: read_tiff_float.cc.
#include <cstring>
#include <vector>

#include "imageio/sibling_api.h"
#include "tiff_reader/tiff_layout.h"

namespace {

using lftm_sibling::Layout;
using lftm_sibling::TiffHandle;

bool is_palette(const Layout& l) { return l.photometric == PHOTOMETRIC_PALETTE; }

// Samples per pixel delivered to the caller: palette indices become RGB.
uint16_t delivered_spp(const Layout& l) { return is_palette(l) ? 3 : l.spp; }

bool readable(const Layout& l) {
  if ((l.bits != 8 && l.bits != 16) || l.format != SAMPLEFORMAT_UINT) return false;
  if (l.width == 0 || l.height == 0 || l.spp < 1 || l.spp > 4) return false;
  switch (l.photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_RGB:
      return true;
    case PHOTOMETRIC_PALETTE:
      return l.spp == 1 && l.palette[0] != nullptr;
    default:
      return false;
  }
}

// Turns one stored sample into a 16-bit value.
uint16_t to16(const Layout& l, uint32_t v) {
  uint32_t wide = l.bits == 8 ? v * 257u : v;
  return static_cast<uint16_t>(l.photometric == PHOTOMETRIC_MINISWHITE ? 65535u - wide : wide);
}

uint32_t stored(const Layout& l, const uint8_t* data, size_t index) {
  if (l.bits == 8) return data[index];
  uint16_t v;
  std::memcpy(&v, data + 2 * index, 2);
  return v;
}

// Copies one decoded block (a strip row band or a tile) into the destination. `block` holds
// rows of `blockWidth` pixels of `perPixel` samples (1 for a separate plane); `sample` is the
// plane's sample index, or -1 for contiguous pixels.
struct Destination {
  int32_t spp;
  int32_t bits;
  uint32_t width;
  void* data;
};

void put(const Destination& d, size_t index, uint16_t v) {
  if (d.bits == 16) {
    static_cast<uint16_t*>(d.data)[index] = v;
  } else {
    static_cast<uint8_t*>(d.data)[index] = static_cast<uint8_t>((v * 255u + 32767u) / 65535u);
  }
}

void copy_block(const Layout& l, const Destination& d, const uint8_t* block, uint32_t x0,
                uint32_t y0, uint32_t blockWidth, uint32_t cols, uint32_t rows, int sample) {
  const uint32_t perPixel = sample < 0 ? l.spp : 1;
  for (uint32_t r = 0; r < rows; ++r) {
    for (uint32_t c = 0; c < cols; ++c) {
      const size_t at = (static_cast<size_t>(r) * blockWidth + c) * perPixel;
      const size_t pixel = static_cast<size_t>(y0 + r) * d.width + x0 + c;
      if (is_palette(l)) {
        uint32_t index = stored(l, block, at);
        const uint32_t entries = 1u << l.bits;
        if (index >= entries) index = entries - 1;
        for (int32_t s = 0; s < d.spp; ++s) put(d, pixel * d.spp + s, l.palette[s][index]);
        continue;
      }
      if (sample >= 0) {
        if (sample < d.spp) put(d, pixel * d.spp + sample, to16(l, stored(l, block, at)));
        continue;
      }
      for (int32_t s = 0; s < d.spp; ++s) {
        put(d, pixel * d.spp + s, to16(l, stored(l, block, at + s)));
      }
    }
  }
}

bool read_strips(TIFF* tif, const Layout& l, const Destination& d) {
  std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize64(tif)));
  const int planes = l.planar == PLANARCONFIG_SEPARATE ? l.spp : 1;
  for (int p = 0; p < planes; ++p) {
    for (uint32_t y = 0; y < l.height; ++y) {
      if (TIFFReadScanline(tif, line.data(), y, static_cast<uint16_t>(p)) != 1) return false;
      copy_block(l, d, line.data(), 0, y, l.width, l.width, 1, planes > 1 ? p : -1);
    }
  }
  return true;
}

bool read_tiles(TIFF* tif, const Layout& l, const Destination& d) {
  uint32_t tileW = 0, tileH = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileW);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileH);
  if (tileW == 0 || tileH == 0) return false;
  std::vector<uint8_t> tile(static_cast<size_t>(TIFFTileSize64(tif)));
  const int planes = l.planar == PLANARCONFIG_SEPARATE ? l.spp : 1;
  for (int p = 0; p < planes; ++p) {
    for (uint32_t y = 0; y < l.height; y += tileH) {
      for (uint32_t x = 0; x < l.width; x += tileW) {
        if (TIFFReadTile(tif, tile.data(), x, y, 0, static_cast<uint16_t>(p)) < 0) return false;
        const uint32_t cols = l.width - x < tileW ? l.width - x : tileW;
        const uint32_t rows = l.height - y < tileH ? l.height - y : tileH;
        copy_block(l, d, tile.data(), x, y, tileW, cols, rows, planes > 1 ? p : -1);
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int32_t infotif(const char* path, int32_t directory, HdrFileInfo* info) {
  if (info == nullptr) return LFTM_ERR_SIB_OPEN;
  TiffHandle tif = lftm_sibling::open_directory(path, directory);
  if (!tif) return LFTM_ERR_SIB_OPEN;
  const Layout l = lftm_sibling::read_layout(tif.get());
  if (l.width > 0x7fffffffu || l.height > 0x7fffffffu) return LFTM_ERR_SIB_LAYOUT;
  info->infos[LFTM_INFO_WIDTH] = static_cast<int32_t>(l.width);
  info->infos[LFTM_INFO_HEIGHT] = static_cast<int32_t>(l.height);
  info->infos[LFTM_INFO_SPP] = delivered_spp(l);
  info->infos[LFTM_INFO_BITS] = l.bits;
  info->infos[LFTM_INFO_TILED] = l.tiled ? 1 : 0;
  info->infos[LFTM_INFO_FILE_COMPRESSION] = l.compression;
  info->infos[LFTM_INFO_PHOTOMETRIC] = l.photometric;
  info->infos[LFTM_INFO_SAMPLE_FORMAT] = l.format;
  if (readable(l)) return lftm::kInfotifReadable;
  if (lftm_sibling::float_readable(l)) return lftm::kInfotifFloat;
  // A depth other than 8 or 16 is reported as such; an 8- or 16-bit layout that cannot be
  // delivered (signed or floating-point samples, CMYK, ...) as 0.
  return (l.bits == 8 || l.bits == 16) ? 0 : l.bits;
}

extern "C" int32_t LFreadtifflat(const char* path, int32_t directory, int32_t width,
                                 int32_t height, int32_t spp, int32_t bits, void* dst) {
  if (dst == nullptr || (bits != 8 && bits != 16)) return LFTM_ERR_SIB_LAYOUT;
  TiffHandle tif = lftm_sibling::open_directory(path, directory);
  if (!tif) return LFTM_ERR_SIB_OPEN;
  const Layout l = lftm_sibling::read_layout(tif.get());
  if (!readable(l)) return LFTM_ERR_SIB_LAYOUT;
  if (width < 1 || height < 1 || static_cast<uint32_t>(width) != l.width ||
      static_cast<uint32_t>(height) != l.height || spp < 1 || spp > delivered_spp(l)) {
    return LFTM_ERR_SIB_SIZE;
  }
  const Destination d = {spp, bits, l.width, dst};
  const bool ok = l.tiled ? read_tiles(tif.get(), l, d) : read_strips(tif.get(), l, d);
  return ok ? height : LFTM_ERR_SIB_DECODE;
}
