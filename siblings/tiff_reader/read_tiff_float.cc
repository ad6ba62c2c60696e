// SPDX-License-Identifier: BSD-3-Clause
// Lumenforge_Tiff: LFreadtiffrgbe, 32-bit floating-point TIFF input (grey or RGB, with or
// without alpha; strips or tiles; contiguous or separate planes; any compression and
// predictor libtiff decodes) turned into RGBE planar bytes with the OpenEXR reader's encoding.
#include <algorithm>
#include <cstring>
#include <vector>

#include "imageio/rgbe_encode.h"
#include "imageio/sibling_api.h"
#include "tiff_reader/tiff_layout.h"

namespace {

using lftm_sibling::Layout;
using lftm::RgbeRowEncoder;

// Whole rows of the image as interleaved RGB floats, decoded a strip or a row of tiles at a
// time, so that only one band is held besides the destination.
struct Band {
  uint32_t rows = 0;
  std::vector<float> rgb;
};

bool is_grey(const Layout& l) { return l.photometric == PHOTOMETRIC_MINISBLACK; }

// The planes that hold colour: one for contiguous pixels or a grey image, else red, green and
// blue (a separate alpha plane is not read).
int colour_planes(const Layout& l) {
  return l.planar == PLANARCONFIG_SEPARATE && !is_grey(l) ? 3 : 1;
}

// Copies a decoded block of `cols` x `rows` pixels, `blockWidth` pixels a row, into the band
// at column x0; `plane` is the colour plane, or -1 for contiguous pixels.
void copy_block(const Layout& l, const uint8_t* block, uint32_t blockWidth, uint32_t x0,
                uint32_t cols, uint32_t rows, int plane, Band* band) {
  const uint32_t perPixel = plane < 0 ? l.spp : 1;
  for (uint32_t r = 0; r < rows; ++r) {
    for (uint32_t c = 0; c < cols; ++c) {
      float in[3];
      const size_t at = (static_cast<size_t>(r) * blockWidth + c) * perPixel;
      std::memcpy(in, block + 4 * at, 4 * std::min<uint32_t>(perPixel, 3));
      float* out = band->rgb.data() + (static_cast<size_t>(r) * l.width + x0 + c) * 3;
      if (plane < 0) {
        out[0] = in[0];
        out[1] = is_grey(l) ? in[0] : in[1];
        out[2] = is_grey(l) ? in[0] : in[2];
      } else if (is_grey(l)) {
        out[0] = out[1] = out[2] = in[0];
      } else {
        out[plane] = in[0];
      }
    }
  }
}

bool read_strip_band(TIFF* tif, const Layout& l, uint32_t y0, std::vector<uint8_t>* buf,
                     Band* band) {
  const bool separate = l.planar == PLANARCONFIG_SEPARATE;
  const size_t rowBytes = static_cast<size_t>(l.width) * (separate ? 1 : l.spp) * 4;
  for (int p = 0; p < colour_planes(l); ++p) {
    const uint32_t strip = TIFFComputeStrip(tif, y0, static_cast<uint16_t>(p));
    const tmsize_t got = TIFFReadEncodedStrip(tif, strip, buf->data(),
                                              static_cast<tmsize_t>(buf->size()));
    if (got < 0 || static_cast<size_t>(got) < rowBytes * band->rows) return false;
    copy_block(l, buf->data(), l.width, 0, l.width, band->rows, separate ? p : -1, band);
  }
  return true;
}

bool read_tile_band(TIFF* tif, const Layout& l, uint32_t y0, uint32_t tileW,
                    std::vector<uint8_t>* buf, Band* band) {
  const bool separate = l.planar == PLANARCONFIG_SEPARATE;
  for (int p = 0; p < colour_planes(l); ++p) {
    for (uint32_t x = 0; x < l.width; x += tileW) {
      if (TIFFReadTile(tif, buf->data(), x, y0, 0, static_cast<uint16_t>(p)) < 0) return false;
      const uint32_t cols = std::min(tileW, l.width - x);
      copy_block(l, buf->data(), tileW, x, cols, band->rows, separate ? p : -1, band);
    }
  }
  return true;
}

// Decodes every row of the image into the encoder. False when libtiff cannot decode it.
bool decode_rows(TIFF* tif, const Layout& l, RgbeRowEncoder* encoder) {
  uint32_t bandRows = 0;
  uint32_t tileW = 0;
  std::vector<uint8_t> buf;
  if (l.tiled) {
    TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileW);
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &bandRows);
    buf.resize(static_cast<size_t>(TIFFTileSize64(tif)));
  } else {
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &bandRows);
    buf.resize(static_cast<size_t>(TIFFStripSize64(tif)));
  }
  if (bandRows == 0 || (l.tiled && tileW == 0) || buf.empty()) return false;
  bandRows = std::min(bandRows, l.height);
  // A tile must hold tileW x bandRows pixels of 4-byte samples; a strip's size is checked as
  // it is read.
  const size_t perPixel = l.planar == PLANARCONFIG_SEPARATE ? 1 : l.spp;
  if (l.tiled && buf.size() / 4 / tileW / bandRows < perPixel) return false;
  Band band;
  band.rgb.resize(static_cast<size_t>(l.width) * bandRows * 3);
  for (uint32_t y0 = 0; y0 < l.height; y0 += bandRows) {
    band.rows = std::min(bandRows, l.height - y0);
    const bool ok = l.tiled ? read_tile_band(tif, l, y0, tileW, &buf, &band)
                            : read_strip_band(tif, l, y0, &buf, &band);
    if (!ok) return false;
    for (uint32_t r = 0; r < band.rows; ++r) {
      encoder->row(band.rgb.data() + static_cast<size_t>(r) * l.width * 3,
                   static_cast<int>(y0 + r));
    }
  }
  return true;
}

}  // namespace

extern "C" int32_t LFreadtiffrgbe(const char* path, int32_t directory, int32_t width,
                                  int32_t height, float* work, uint8_t* dst) {
  if (dst == nullptr) return LFTM_ERR_SIB_SIZE;
  lftm_sibling::TiffHandle tif = lftm_sibling::open_directory(path, directory);
  if (!tif) return LFTM_ERR_SIB_OPEN;
  const Layout l = lftm_sibling::read_layout(tif.get());
  if (!lftm_sibling::float_readable(l)) return LFTM_ERR_SIB_LAYOUT;
  if (width < 1 || height < 1 || static_cast<uint32_t>(width) != l.width ||
      static_cast<uint32_t>(height) != l.height) {
    return LFTM_ERR_SIB_SIZE;
  }
  bool ok = true;
  const lftm::RgbeEncodeReport report =
      lftm::encode_rgbe_image(width, dst, [&](RgbeRowEncoder* encoder) {
        ok = ok && decode_rows(tif.get(), l, encoder);
      });
  if (!ok) return LFTM_ERR_SIB_DECODE;
  lftm::write_work(report, work);
  return height;
}
