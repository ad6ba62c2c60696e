// SPDX-License-Identifier: BSD-3-Clause
#include "support/image_files.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "support/files.h"
#include "support/rgbe_images.h"

namespace lftm_test {

std::string write_hdr(const std::string& path, int width, int height, uint32_t seed) {
  write_file(path, encode_rgbe_file(make_test_image(width, height, seed), true));
  return path;
}

std::string write_truncated_hdr(const std::string& path, int width, int height, size_t bytes) {
  const std::string header = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " +
                             std::to_string(height) + " +X " + std::to_string(width) + "\n";
  std::vector<uint8_t> out(header.begin(), header.end());
  // Flat pixels (R, G, B, E), a mid grey.
  for (size_t i = 0; i < bytes; ++i) out.push_back(i % 4 == 3 ? 129 : 100);
  write_file(path, out);
  return path;
}

namespace {

// Stores `v` as sample `index` of a row or tile of the layout's sample type.
void put_sample(const TiffLayout& l, std::vector<uint8_t>* buf, size_t index, double v) {
  const size_t bytes = static_cast<size_t>(l.bits) / 8;
  uint8_t* at = buf->data() + index * bytes;
  if (l.format == SAMPLEFORMAT_IEEEFP) {
    const float f = static_cast<float>(v);
    std::memcpy(at, &f, 4);
    return;
  }
  const uint64_t bitsOfValue = static_cast<uint64_t>(static_cast<int64_t>(v));
  if (bytes == 1) {
    *at = static_cast<uint8_t>(bitsOfValue);
  } else if (bytes == 2) {
    const uint16_t s = static_cast<uint16_t>(bitsOfValue);
    std::memcpy(at, &s, 2);
  } else {
    const uint32_t s = static_cast<uint32_t>(bitsOfValue);
    std::memcpy(at, &s, 4);
  }
}

}  // namespace

TiffWriter::TiffWriter(const std::string& path) : tif_(TIFFOpen(path.c_str(), "w")) {}

TiffWriter::~TiffWriter() {
  if (tif_ != nullptr) TIFFClose(tif_);
}

bool TiffWriter::add_page(const TiffLayout& l, const SampleAt& sample) {
  if (tif_ == nullptr) return false;
  const int photometric =
      l.photometric >= 0 ? l.photometric : (l.spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif_, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(l.width));
  TIFFSetField(tif_, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(l.height));
  TIFFSetField(tif_, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(l.spp));
  TIFFSetField(tif_, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(l.bits));
  TIFFSetField(tif_, TIFFTAG_SAMPLEFORMAT, l.format);
  TIFFSetField(tif_, TIFFTAG_PHOTOMETRIC, static_cast<uint16_t>(photometric));
  TIFFSetField(tif_, TIFFTAG_PLANARCONFIG, l.planar);
  TIFFSetField(tif_, TIFFTAG_COMPRESSION, l.compression);
  if (l.predictor != 0) TIFFSetField(tif_, TIFFTAG_PREDICTOR, l.predictor);
  const bool alpha = (l.spp == 2 || l.spp == 4) &&
                     (photometric == PHOTOMETRIC_RGB || photometric == PHOTOMETRIC_MINISBLACK ||
                      photometric == PHOTOMETRIC_MINISWHITE);
  if (alpha) {
    uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif_, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (!l.colormap.empty()) {
    std::vector<uint16_t> map = l.colormap;
    TIFFSetField(tif_, TIFFTAG_COLORMAP, map.data(), map.data(), map.data());
  }
  const bool separate = l.planar == PLANARCONFIG_SEPARATE;
  const int planes = separate ? l.spp : 1;
  const int perPixel = separate ? 1 : l.spp;
  const size_t bytes = static_cast<size_t>(l.bits) / 8;
  bool ok = true;
  if (l.tile == 0) {
    if (l.rowsPerStrip != 0) TIFFSetField(tif_, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
    std::vector<uint8_t> line(static_cast<size_t>(l.width) * perPixel * bytes);
    for (int p = 0; ok && p < planes; ++p) {
      for (int y = 0; ok && y < l.height; ++y) {
        for (int x = 0; x < l.width; ++x) {
          for (int s = 0; s < perPixel; ++s) {
            put_sample(l, &line, static_cast<size_t>(x) * perPixel + s,
                       sample(x, y, separate ? p : s));
          }
        }
        ok = TIFFWriteScanline(tif_, line.data(), static_cast<uint32_t>(y),
                               static_cast<uint16_t>(p)) == 1;
      }
    }
  } else {
    TIFFSetField(tif_, TIFFTAG_TILEWIDTH, l.tile);
    TIFFSetField(tif_, TIFFTAG_TILELENGTH, l.tile);
    const int edge = static_cast<int>(l.tile);
    std::vector<uint8_t> tile(static_cast<size_t>(edge) * edge * perPixel * bytes);
    for (int p = 0; ok && p < planes; ++p) {
      for (int ty = 0; ok && ty < l.height; ty += edge) {
        for (int tx = 0; ok && tx < l.width; tx += edge) {
          std::fill(tile.begin(), tile.end(), 0);
          for (int y = 0; y < edge && ty + y < l.height; ++y) {
            for (int x = 0; x < edge && tx + x < l.width; ++x) {
              for (int s = 0; s < perPixel; ++s) {
                put_sample(l, &tile, (static_cast<size_t>(y) * edge + x) * perPixel + s,
                           sample(tx + x, ty + y, separate ? p : s));
              }
            }
          }
          ok = TIFFWriteTile(tif_, tile.data(), static_cast<uint32_t>(tx),
                             static_cast<uint32_t>(ty), 0, static_cast<uint16_t>(p)) >= 0;
        }
      }
    }
  }
  return TIFFWriteDirectory(tif_) == 1 && ok;
}

bool write_tiff(const std::string& path, const TiffLayout& layout, const SampleAt& sample) {
  TiffWriter writer(path);
  return writer.add_page(layout, sample);
}

std::string write_tiff(const std::string& path, int width, int height, TiffSamples samples) {
  TiffLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bits = samples == TiffSamples::kUint16 ? 16 : 32;
  layout.format = samples == TiffSamples::kFloat32 ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT;
  write_tiff(path, layout, [&](int x, int y, int s) -> double {
    const int i = x * 3 + s;
    if (samples == TiffSamples::kFloat32) return static_cast<float>((i + y) % 17) / 4.0f;
    if (samples == TiffSamples::kUint32) {
      return static_cast<uint32_t>((i * 977 + y * 331) % 60000) << 12;
    }
    return ((i * 977 + y * 331) % 60000) + 100;
  });
  return path;
}

bool read_tiff(const std::string& path, TiffImage* image) {
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  if (tif == nullptr) return false;
  uint32_t w = 0, h = 0;
  uint16_t spp = 1, bits = 8, compression = 1;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  image->width = static_cast<int>(w);
  image->height = static_cast<int>(h);
  image->spp = spp;
  image->bits = bits;
  image->compression = compression;
  uint32_t count = 0;
  void* data = nullptr;
  image->hasIcc = TIFFGetField(tif, TIFFTAG_ICCPROFILE, &count, &data) == 1 && count > 0;
  image->xmp.clear();
  if (TIFFGetField(tif, TIFFTAG_XMLPACKET, &count, &data) == 1) {
    image->xmp.assign(static_cast<const char*>(data), count);
  }
  char* software = nullptr;
  image->software = TIFFGetField(tif, TIFFTAG_SOFTWARE, &software) == 1 ? software : "";
  std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
  image->samples.assign(static_cast<size_t>(w) * h * spp, 0);
  bool ok = true;
  for (uint32_t y = 0; ok && y < h; ++y) {
    ok = TIFFReadScanline(tif, line.data(), y, 0) == 1;
    for (size_t i = 0; ok && i < static_cast<size_t>(w) * spp; ++i) {
      uint16_t v;
      if (bits == 16) {
        std::memcpy(&v, line.data() + 2 * i, 2);
      } else {
        v = static_cast<uint16_t>(line[i] * 257);
      }
      image->samples[static_cast<size_t>(y) * w * spp + i] = v;
    }
  }
  TIFFClose(tif);
  return ok;
}

std::vector<uint16_t> tiff_samples(const std::string& path) {
  TiffImage image;
  return read_tiff(path, &image) ? image.samples : std::vector<uint16_t>();
}

}  // namespace lftm_test
