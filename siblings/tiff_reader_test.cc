// SPDX-License-Identifier: BSD-3-Clause
// infotif and LFreadtifflat on files written here with libtiff in many layouts.
#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "imageio/sibling_api.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

struct TiffLayout {
  uint32_t width = 37, height = 23;
  uint16_t spp = 3, bits = 16;
  uint16_t photometric = PHOTOMETRIC_RGB;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t format = SAMPLEFORMAT_UINT;
  uint32_t tile = 0;  // 0: strips
};

// The stored value of sample s of pixel (x, y).
uint32_t value(const TiffLayout& layout, uint32_t x, uint32_t y, uint16_t s) {
  uint32_t v = 97 * x + 311 * y + 4099 * s + 5;
  return layout.bits == 8 ? v % 256 : v % 65536;
}

// The file of `layout`; each further page is one row taller than the one before. A palette
// maps index i to 200 i.
void write_tiff(const std::string& path, const TiffLayout& layout, int pages = 1) {
  lftm_test::TiffWriter writer(path);
  for (int page = 0; page < pages; ++page) {
    lftm_test::TiffLayout file;
    file.width = static_cast<int>(layout.width);
    file.height = static_cast<int>(layout.height) + page;
    file.spp = layout.spp;
    file.bits = layout.bits;
    file.format = layout.format;
    file.photometric = layout.photometric;
    file.planar = layout.planar;
    file.compression = layout.compression;
    file.tile = layout.tile;
    if (layout.photometric == PHOTOMETRIC_PALETTE) {
      for (int i = 0; i < 256; ++i) file.colormap.push_back(static_cast<uint16_t>(i * 200));
    }
    ASSERT_TRUE(writer.add_page(file, [&](int x, int y, int s) {
      return value(layout, static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                   static_cast<uint16_t>(s));
    }));
  }
}

// Reads `spp` samples per pixel at 16 bits and checks each against `expected`.
void expect_read(const std::string& path, const TiffLayout& layout, int spp,
                 const std::function<uint16_t(uint32_t, uint32_t, int)>& expected) {
  std::vector<uint16_t> out(static_cast<size_t>(layout.width) * layout.height * spp);
  ASSERT_EQ(LFreadtifflat(path.c_str(), 0, layout.width, layout.height, spp, 16, out.data()),
            static_cast<int32_t>(layout.height));
  for (uint32_t y = 0; y < layout.height; ++y) {
    for (uint32_t x = 0; x < layout.width; ++x) {
      for (int s = 0; s < spp; ++s) {
        ASSERT_EQ(out[(static_cast<size_t>(y) * layout.width + x) * spp + s], expected(x, y, s))
            << x << "," << y << " sample " << s;
      }
    }
  }
}

TEST(TiffReaderTest, ReadsStripsTilesPlanesAndCompressions) {
  lftm_test::TempDir dir;
  struct Case {
    const char* name;
    TiffLayout layout;
    int spp;  // requested
  };
  TiffLayout rgb8;
  rgb8.bits = 8;
  rgb8.compression = COMPRESSION_LZW;
  TiffLayout rgba16Tiled;
  rgba16Tiled.spp = 4;
  rgba16Tiled.tile = 16;
  rgba16Tiled.compression = COMPRESSION_ADOBE_DEFLATE;
  TiffLayout separate16;
  separate16.planar = PLANARCONFIG_SEPARATE;
  separate16.compression = COMPRESSION_PACKBITS;
  TiffLayout greyAlpha8;
  greyAlpha8.bits = 8;
  greyAlpha8.spp = 2;
  greyAlpha8.photometric = PHOTOMETRIC_MINISBLACK;
  const Case cases[] = {{"rgb8_lzw", rgb8, 3},
                        {"rgba16_tiled_deflate", rgba16Tiled, 3},
                        {"rgb16_separate_packbits", separate16, 3},
                        {"greyalpha8", greyAlpha8, 1}};
  for (const Case& c : cases) {
    const std::string path = dir.file(std::string(c.name) + ".tif");
    write_tiff(path, c.layout);
    HdrFileInfo info = {};
    ASSERT_EQ(infotif(path.c_str(), 0, &info), 16) << c.name;
    EXPECT_EQ(info.infos[LFTM_INFO_WIDTH], 37);
    EXPECT_EQ(info.infos[LFTM_INFO_HEIGHT], 23);
    EXPECT_EQ(info.infos[LFTM_INFO_SPP], c.layout.spp) << c.name;
    EXPECT_EQ(info.infos[LFTM_INFO_BITS], c.layout.bits);
    EXPECT_EQ(info.infos[LFTM_INFO_TILED], c.layout.tile > 0 ? 1 : 0);
    const TiffLayout layout = c.layout;
    expect_read(path, layout, c.spp, [&](uint32_t x, uint32_t y, int s) {
      uint32_t v = value(layout, x, y, static_cast<uint16_t>(s));
      return static_cast<uint16_t>(layout.bits == 8 ? v * 257 : v);
    });
  }
}

TEST(TiffReaderTest, InvertsMinIsWhiteExpandsPalettesAndNarrowsOnRequest) {
  lftm_test::TempDir dir;
  TiffLayout white;
  white.bits = 8;
  white.spp = 1;
  white.photometric = PHOTOMETRIC_MINISWHITE;
  write_tiff(dir.file("white.tif"), white);
  expect_read(dir.file("white.tif"), white, 1, [&](uint32_t x, uint32_t y, int) {
    return static_cast<uint16_t>(65535 - value(white, x, y, 0) * 257);
  });

  TiffLayout palette = white;
  palette.photometric = PHOTOMETRIC_PALETTE;
  write_tiff(dir.file("palette.tif"), palette);
  HdrFileInfo info = {};
  ASSERT_EQ(infotif(dir.file("palette.tif").c_str(), 0, &info), 16);
  EXPECT_EQ(info.infos[LFTM_INFO_SPP], 3) << "a palette image is delivered as RGB";
  expect_read(dir.file("palette.tif"), palette, 3, [&](uint32_t x, uint32_t y, int) {
    return static_cast<uint16_t>(value(palette, x, y, 0) * 200);
  });

  TiffLayout rgb16;
  write_tiff(dir.file("rgb16.tif"), rgb16);
  std::vector<uint8_t> out8(37 * 23 * 3);
  ASSERT_EQ(LFreadtifflat(dir.file("rgb16.tif").c_str(), 0, 37, 23, 3, 8, out8.data()), 23);
  EXPECT_EQ(out8[5], (value(rgb16, 1, 0, 2) * 255 + 32767) / 65535);
}

TEST(TiffReaderTest, ReportsWhatItCannotDeliver) {
  lftm_test::TempDir dir;
  TiffLayout floats;
  floats.bits = 32;
  floats.format = SAMPLEFORMAT_IEEEFP;
  write_tiff(dir.file("float.tif"), floats);
  TiffLayout signed16;
  signed16.format = SAMPLEFORMAT_INT;
  write_tiff(dir.file("signed.tif"), signed16);
  HdrFileInfo info = {};
  EXPECT_EQ(infotif(dir.file("float.tif").c_str(), 0, &info), lftm::kInfotifFloat);
  EXPECT_EQ(info.infos[LFTM_INFO_SAMPLE_FORMAT], SAMPLEFORMAT_IEEEFP);
  EXPECT_EQ(infotif(dir.file("signed.tif").c_str(), 0, &info), 0);
  EXPECT_EQ(info.infos[LFTM_INFO_SAMPLE_FORMAT], SAMPLEFORMAT_INT);
  TiffLayout int32 = floats;
  int32.format = SAMPLEFORMAT_UINT;
  write_tiff(dir.file("int32.tif"), int32);
  EXPECT_EQ(infotif(dir.file("int32.tif").c_str(), 0, &info), 32);
  std::vector<uint16_t> out(37 * 23 * 4);
  EXPECT_EQ(LFreadtifflat(dir.file("float.tif").c_str(), 0, 37, 23, 3, 16, out.data()),
            LFTM_ERR_SIB_LAYOUT);
  // The float reader takes float files only, of their own size.
  std::vector<uint8_t> rgbe(4 * 37 * 24);
  EXPECT_EQ(LFreadtiffrgbe(dir.file("float.tif").c_str(), 0, 37, 24, nullptr, rgbe.data()),
            LFTM_ERR_SIB_SIZE);
  EXPECT_EQ(LFreadtiffrgbe(dir.file("int32.tif").c_str(), 0, 37, 23, nullptr, rgbe.data()),
            LFTM_ERR_SIB_LAYOUT);
  EXPECT_EQ(LFreadtiffrgbe(dir.file("float.tif").c_str(), 0, 37, 23, nullptr, rgbe.data()), 23);

  TiffLayout rgb;
  write_tiff(dir.file("two_pages.tif"), rgb, 2);
  const std::string twoPages = dir.file("two_pages.tif");
  EXPECT_EQ(LFreadtifflat(twoPages.c_str(), 0, 36, 23, 3, 16, out.data()), LFTM_ERR_SIB_SIZE);
  EXPECT_EQ(LFreadtifflat(twoPages.c_str(), 0, 37, 23, 4, 16, out.data()), LFTM_ERR_SIB_SIZE);
  EXPECT_EQ(LFreadtifflat(twoPages.c_str(), 0, 37, 23, 3, 12, out.data()), LFTM_ERR_SIB_LAYOUT);
  // The second directory is one row taller.
  ASSERT_EQ(infotif(twoPages.c_str(), 1, &info), 16);
  EXPECT_EQ(info.infos[LFTM_INFO_HEIGHT], 24);
  EXPECT_EQ(LFreadtifflat(twoPages.c_str(), 1, 37, 24, 3, 16, out.data()), 24);
  EXPECT_EQ(infotif(twoPages.c_str(), 2, &info), LFTM_ERR_SIB_OPEN);

  const std::string missing = dir.file("missing.tif");
  EXPECT_EQ(infotif(missing.c_str(), 0, &info), LFTM_ERR_SIB_OPEN);
  EXPECT_EQ(LFreadtifflat(missing.c_str(), 0, 37, 23, 3, 16, out.data()), LFTM_ERR_SIB_OPEN);
  lftm_test::write_file(dir.file("text.tif"), {'n', 'o', 't', ' ', 'a', ' ', 't', 'i', 'f'});
  EXPECT_EQ(infotif(dir.file("text.tif").c_str(), 0, &info), LFTM_ERR_SIB_OPEN);
}

}  // namespace
