// SPDX-License-Identifier: BSD-3-Clause
// buf2tif, read back with libtiff.
#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imageio/sibling_api.h"
#include "support/diag_capture.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

struct Written {
  uint32_t width = 0, height = 0;
  uint16_t spp = 0, bits = 0, compression = 0, photometric = 0;
  float xres = 0;
  bool icc = false;
  std::string xmp, description, artist, copyright, software;
  std::vector<uint16_t> samples;  // as stored (8-bit values not widened)
};

std::string text_tag(TIFF* tif, uint32_t tag) {
  char* text = nullptr;
  return TIFFGetField(tif, tag, &text) == 1 ? text : "";
}

Written read_back(const std::string& path) {
  Written w;
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  EXPECT_NE(tif, nullptr);
  if (tif == nullptr) return w;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &w.height);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &w.spp);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &w.bits);
  TIFFGetField(tif, TIFFTAG_COMPRESSION, &w.compression);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &w.photometric);
  TIFFGetField(tif, TIFFTAG_XRESOLUTION, &w.xres);
  uint32_t count = 0;
  void* data = nullptr;
  w.icc = TIFFGetField(tif, TIFFTAG_ICCPROFILE, &count, &data) == 1 && count > 0;
  if (TIFFGetField(tif, TIFFTAG_XMLPACKET, &count, &data) == 1) {
    w.xmp.assign(static_cast<const char*>(data), count);
  }
  w.description = text_tag(tif, TIFFTAG_IMAGEDESCRIPTION);
  w.artist = text_tag(tif, TIFFTAG_ARTIST);
  w.copyright = text_tag(tif, TIFFTAG_COPYRIGHT);
  w.software = text_tag(tif, TIFFTAG_SOFTWARE);
  std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
  for (uint32_t y = 0; y < w.height; ++y) {
    EXPECT_EQ(TIFFReadScanline(tif, line.data(), y, 0), 1);
    for (size_t i = 0; i < static_cast<size_t>(w.width) * w.spp; ++i) {
      uint16_t v = line[i];
      if (w.bits == 16) std::memcpy(&v, line.data() + 2 * i, 2);
      w.samples.push_back(v);
    }
  }
  TIFFClose(tif);
  return w;
}

HdrFileInfo info_for(int w, int h, int spp, int bits, bool widened = false) {
  HdrFileInfo info = {};
  info.infos[LFTM_INFO_WIDTH] = w;
  info.infos[LFTM_INFO_HEIGHT] = h;
  info.infos[LFTM_INFO_SPP] = spp;
  info.infos[LFTM_INFO_BITS] = bits;
  info.infos[LFTM_INFO_WIDENED] = widened ? 1 : 0;
  return info;
}

TEST(TiffWriterTest, EightAndSixteenBitImagesRoundTripWithTheirTags) {
  lftm_test::TempDir dir;
  const int w = 37, h = 11;
  std::vector<uint8_t> rgb8(w * h * 3);
  std::vector<uint16_t> rgb16(w * h * 3);
  for (size_t i = 0; i < rgb8.size(); ++i) {
    rgb8[i] = static_cast<uint8_t>(i * 7);
    rgb16[i] = static_cast<uint16_t>(i * 1021);
  }
  TmParam params;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &params);
  params.tmParam[1] = 55;

  HdrFileInfo info = info_for(w, h, 3, 8);
  const char* description = "a bridge";
  const std::string out8 = dir.file("a8.tif");
  ASSERT_EQ(buf2tif(rgb8.data(), &info, w * 3, 0, reinterpret_cast<intptr_t>(description),
                    reinterpret_cast<intptr_t>("me"), 0, reinterpret_cast<intptr_t>("(c) us"),
                    LFTM_METHOD_TEXTURE_BOOSTER, &params, out8.c_str()),
            1);
  Written a = read_back(out8);
  EXPECT_EQ(a.width, static_cast<uint32_t>(w));
  EXPECT_EQ(a.bits, 8);
  EXPECT_EQ(a.photometric, PHOTOMETRIC_RGB);
  EXPECT_EQ(a.compression, COMPRESSION_ADOBE_DEFLATE);
  EXPECT_FLOAT_EQ(a.xres, 72.0f);
  EXPECT_TRUE(a.icc);
  EXPECT_EQ(a.description, "a bridge");
  EXPECT_EQ(a.artist, "me");
  EXPECT_EQ(a.copyright, "(c) us");
  EXPECT_EQ(a.software, "lftm");
  EXPECT_EQ(std::vector<uint16_t>(rgb8.begin(), rgb8.end()), a.samples);

  // The embedded settings are a sidecar the settings reader takes back.
  ASSERT_NE(a.xmp.find("<lftm:Method>Texture Booster</lftm:Method>"), std::string::npos);
  size_t start = a.xmp.find("<x:xmpmeta");
  size_t end = a.xmp.find("<?xpacket end");
  ASSERT_NE(start, std::string::npos);
  const std::string sidecar = dir.file("embedded.xmp");
  lftm_test::write_file(sidecar, std::vector<uint8_t>(a.xmp.begin() + start,
                                                      a.xmp.begin() + end));
  TmParam back;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &back);
  lftm_test::DiagCapture quiet;
  EXPECT_GT(parse_xmp(sidecar.c_str(), LFTM_METHOD_TEXTURE_BOOSTER, &back), 0);
  EXPECT_EQ(back.tmParam[1], 55.0f);

  info = info_for(w, h, 3, 16);
  info.infos[LFTM_INFO_COMPRESSION] = LFTM_TIFF_LZW;
  info.infos[LFTM_INFO_DPI] = 300;
  info.infos[LFTM_INFO_ICC] = LFTM_ICC_NONE;
  info.infos[LFTM_INFO_METADATA] = LFTM_META_NO_SETTINGS;
  const std::string out16 = dir.file("a16.tif");
  ASSERT_EQ(buf2tif(rgb16.data(), &info, w * 6, 0, 0, 0, 0, 0, LFTM_METHOD_RANGE_SQUEEZER,
                    &params, out16.c_str()),
            1);
  Written b = read_back(out16);
  EXPECT_EQ(b.bits, 16);
  EXPECT_EQ(b.compression, COMPRESSION_LZW);
  EXPECT_FLOAT_EQ(b.xres, 300.0f);
  EXPECT_FALSE(b.icc);
  EXPECT_TRUE(b.xmp.empty());
  EXPECT_EQ(rgb16, b.samples);
}

TEST(TiffWriterTest, SixteenBitSamplesAreNarrowedAndRowsMayBePadded) {
  lftm_test::TempDir dir;
  // One grey row of 16-bit samples with four samples of padding behind each row.
  const int w = 6, h = 2, stride = w + 4;
  const uint16_t row[w] = {0, 128, 129, 257, 32896, 65535};
  std::vector<uint16_t> samples(stride * h, 7);
  for (int y = 0; y < h; ++y) std::memcpy(&samples[y * stride], row, sizeof row);
  HdrFileInfo info = info_for(w, h, 1, 8, true);
  const std::string out = dir.file("grey.tif");
  ASSERT_EQ(buf2tif(samples.data(), &info, stride * 2, 0, 0, 0, 0, 0, 1, nullptr, out.c_str()),
            1);
  Written g = read_back(out);
  EXPECT_EQ(g.photometric, PHOTOMETRIC_MINISBLACK);
  EXPECT_FALSE(g.icc) << "grey output carries no RGB profile";
  const std::vector<uint16_t> expected = {0, 0, 1, 1, 128, 255, 0, 0, 1, 1, 128, 255};
  EXPECT_EQ(g.samples, expected);
}

TEST(TiffWriterTest, RefusesUnusableLayoutsAndUncreatableFiles) {
  lftm_test::TempDir dir;
  std::vector<uint8_t> pixels(300, 1);
  const std::string out = dir.file("x.tif");
  struct Case {
    HdrFileInfo info;
    int rowBytes;
  };
  const Case bad[] = {{info_for(0, 10, 3, 8), 30},
                      {info_for(10, 10, 3, 12), 30},
                      {info_for(10, 10, 0, 8), 30},
                      {info_for(10, 10, 3, 8), 29}};
  for (const Case& c : bad) {
    EXPECT_EQ(buf2tif(pixels.data(), &c.info, c.rowBytes, 0, 0, 0, 0, 0, 1, nullptr, out.c_str()),
              LFTM_ERR_WRITER_ARGS);
  }
  HdrFileInfo ok = info_for(10, 10, 3, 8);
  EXPECT_EQ(buf2tif(pixels.data(), nullptr, 30, 0, 0, 0, 0, 0, 1, nullptr, out.c_str()),
            LFTM_ERR_WRITER_ARGS);
  const std::string nowhere = dir.file("missing/x.tif");
  EXPECT_EQ(buf2tif(pixels.data(), &ok, 30, 0, 0, 0, 0, 0, 1, nullptr, nowhere.c_str()),
            LFTM_ERR_WRITER_CREATE);
  EXPECT_TRUE(lftm_test::read_file(out).empty());
}

}  // namespace
