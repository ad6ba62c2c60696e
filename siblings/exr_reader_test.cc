// SPDX-License-Identifier: BSD-3-Clause
// lfexr_dim and lfexr_read on files written here with OpenEXR, and the RGBE encoding.
#include <ImfRgbaFile.h>
#include <half.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "imageio/rgbe_encode.h"
#include "imageio/sibling_api.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

constexpr int kW = 41;
constexpr int kH = 29;

// The value of channel c at (x, y): positive, over several orders of magnitude.
float source(int x, int y, int c) {
  return std::exp(0.21f * x - 0.17f * y + 0.9f * c - 2.0f);
}

float decode(const std::vector<uint8_t>& rgbe, int width, int x, int y, int c) {
  const uint8_t* row = rgbe.data() + static_cast<size_t>(4) * width * y;
  int e = row[3 * width + x];
  return e == 0 ? 0.0f : std::ldexp(static_cast<float>(row[c * width + x]), e - 136);
}

// Each channel within half a mantissa step; the step is at most 1/127.5 of the pixel's
// largest channel, whose mantissa lies in 128..255.
void expect_close(const std::vector<uint8_t>& rgbe, int width, int height, int x0, int y0,
                  bool half, int channels) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      float largest = 0;
      float expected[3];
      for (int c = 0; c < 3; ++c) {
        float v = source(x + x0, y + y0, channels == 1 ? 0 : c);
        expected[c] = half ? static_cast<float>(::half(v)) : v;
        largest = std::max(largest, expected[c]);
      }
      for (int c = 0; c < 3; ++c) {
        ASSERT_NEAR(decode(rgbe, width, x, y, c), expected[c], largest / 255.0f)
            << x << "," << y << " channel " << c;
      }
    }
  }
}

// Writes R, G, B (and A) or Y channels of the given type, scanlines or 16 x 16 tiles, with
// the data window starting at (x0, y0).
void write_exr(const std::string& path, Imf::PixelType type, const std::vector<const char*>& names,
               bool tiled, int x0, int y0) {
  lftm_test::ExrLayout layout;
  layout.width = kW;
  layout.height = kH;
  layout.channels.assign(names.begin(), names.end());
  layout.samples = type == Imf::HALF ? lftm_test::ExrSamples::kHalf : lftm_test::ExrSamples::kFloat;
  layout.tiled = tiled;
  layout.x0 = x0;
  layout.y0 = y0;
  lftm_test::write_exr(path, layout, [&](int x, int y, int c) {
    return std::string(names[c]) == "A" ? 1.0f : source(x + x0, y + y0, c);
  });
}

TEST(ExrReaderTest, ReadsHalfAndFloatScanlinesAndTilesInRgbRgbaAndLuminance) {
  lftm_test::TempDir dir;
  struct Case {
    const char* name;
    Imf::PixelType type;
    std::vector<const char*> channels;
    bool tiled;
    int x0, y0;
  };
  const Case cases[] = {
      {"half_rgb_scanline", Imf::HALF, {"R", "G", "B"}, false, 0, 0},
      {"float_rgba_tiled", Imf::FLOAT, {"R", "G", "B", "A"}, true, 0, 0},
      {"half_rgba_tiled_offset", Imf::HALF, {"R", "G", "B", "A"}, true, -5, 12},
      {"float_rgb_scanline_offset", Imf::FLOAT, {"R", "G", "B"}, false, 3, -7},
      {"float_luminance", Imf::FLOAT, {"Y"}, false, 0, 0},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file(std::string(c.name) + ".exr");
    write_exr(path, c.type, c.channels, c.tiled, c.x0, c.y0);
    HdrFileInfo info = {};
    ASSERT_EQ(lfexr_dim(path.c_str(), &info), 1) << c.name;
    EXPECT_EQ(info.infos[LFTM_INFO_WIDTH], kW);
    EXPECT_EQ(info.infos[LFTM_INFO_HEIGHT], kH);
    EXPECT_EQ(info.infos[LFTM_INFO_SPP], c.channels.size() == 1 ? 1 : 3);
    EXPECT_EQ(info.infos[LFTM_INFO_BITS], c.type == Imf::HALF ? 16 : 32);
    EXPECT_EQ(info.infos[LFTM_INFO_TILED], c.tiled ? 1 : 0);
    std::vector<uint8_t> rgbe(static_cast<size_t>(4) * kW * kH);
    float work[4] = {0, 0, 0, 0};
    ASSERT_EQ(lfexr_read(path.c_str(), work, rgbe.data()), kH) << c.name;
    EXPECT_EQ(work[1], 0.0f);
    EXPECT_GT(work[0], 1.0f);
    expect_close(rgbe, kW, kH, c.x0, c.y0, c.type == Imf::HALF,
                 static_cast<int>(c.channels.size()));
  }
}

TEST(ExrReaderTest, ReadsLuminanceChromaFiles) {
  lftm_test::TempDir dir;
  const std::string path = dir.file("yc.exr");
  const int w = 40, h = 28;  // chroma is subsampled by two
  std::vector<Imf::Rgba> px(static_cast<size_t>(w) * h);
  for (Imf::Rgba& p : px) p = Imf::Rgba(0.5f, 0.25f, 0.125f, 1.0f);
  {
    Imf::RgbaOutputFile file(path.c_str(), w, h, Imf::WRITE_YC);
    file.setFrameBuffer(px.data(), 1, w);
    file.writePixels(h);
  }
  HdrFileInfo info = {};
  ASSERT_EQ(lfexr_dim(path.c_str(), &info), 1);
  EXPECT_EQ(info.infos[LFTM_INFO_SPP], 3);
  std::vector<uint8_t> rgbe(static_cast<size_t>(4) * w * h);
  ASSERT_EQ(lfexr_read(path.c_str(), nullptr, rgbe.data()), h);
  // Chroma is stored coarsely; a flat colour comes back within a few percent.
  EXPECT_NEAR(decode(rgbe, w, 10, 10, 0), 0.5f, 0.03f);
  EXPECT_NEAR(decode(rgbe, w, 10, 10, 1), 0.25f, 0.03f);
  EXPECT_NEAR(decode(rgbe, w, 10, 10, 2), 0.125f, 0.03f);
}

TEST(ExrReaderTest, NegativeNanAndInfinityStayLocalAndBadFilesAreRefused) {
  lftm_test::TempDir dir;
  const std::string path = dir.file("odd.exr");
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float values[4][3] = {{-1, -2, -3}, {nan, 2, 2}, {inf, 1, 1}, {0, 0, 0}};
  std::vector<float> rgb(kW * kH * 3, 1.0f);
  for (int p = 0; p < 4; ++p) {
    for (int c = 0; c < 3; ++c) rgb[p * 3 + c] = values[p][c];
  }
  lftm_test::ExrLayout layout;
  layout.width = kW;
  layout.height = kH;
  lftm_test::write_exr(path, layout, [&](int x, int y, int c) {
    return rgb[(static_cast<size_t>(y) * kW + x) * 3 + c];
  });
  std::vector<uint8_t> rgbe(static_cast<size_t>(4) * kW * kH);
  float work[4];
  ASSERT_EQ(lfexr_read(path.c_str(), work, rgbe.data()), kH);
  EXPECT_EQ(work[1], 4.0f) << "three negatives and one NaN";
  for (int c = 0; c < 4; ++c) EXPECT_EQ(rgbe[c * kW + 0], 0) << "negative pixel";
  EXPECT_EQ(decode(rgbe, kW, 1, 0, 0), 0.0f);
  EXPECT_EQ(decode(rgbe, kW, 1, 0, 1), 2.0f);
  EXPECT_EQ(decode(rgbe, kW, 2, 0, 0), 2.0f) << "infinity takes the largest finite value";
  EXPECT_EQ(work[0], 2.0f);
  EXPECT_EQ(rgbe[3 * kW + 3], 0) << "a zero pixel has no light";

  HdrFileInfo info = {};
  EXPECT_EQ(lfexr_dim(dir.file("missing.exr").c_str(), &info), LFTM_ERR_SIB_OPEN);
  EXPECT_EQ(lfexr_read(dir.file("missing.exr").c_str(), nullptr, rgbe.data()), LFTM_ERR_SIB_OPEN);
  lftm_test::write_file(dir.file("text.exr"), {'v', '/', '1', 1, 'x'});
  EXPECT_EQ(lfexr_dim(dir.file("text.exr").c_str(), &info), LFTM_ERR_SIB_OPEN);
  // A truncated file fails, whichever call notices first.
  std::vector<uint8_t> bytes = lftm_test::read_file(path);
  bytes.resize(bytes.size() * 2 / 3);
  lftm_test::write_file(dir.file("cut.exr"), bytes);
  EXPECT_LT(lfexr_read(dir.file("cut.exr").c_str(), nullptr, rgbe.data()), 0);
}

TEST(RgbeEncodeTest, RoundsToTheNearestMantissaAcrossTheExponentRange) {
  uint8_t px[4];
  // Exactly representable: 200 x 2^(130 - 136).
  lftm::encode_rgbe(200.0f / 64, 100.0f / 64, 1.0f / 64, px);
  EXPECT_EQ(px[0], 200);
  EXPECT_EQ(px[1], 100);
  EXPECT_EQ(px[2], 1);
  EXPECT_EQ(px[3], 130);
  // 255.6 rounds up past the mantissa range: the exponent grows by one.
  lftm::encode_rgbe(255.6f, 0, 0, px);
  EXPECT_EQ(px[0], 128);
  EXPECT_EQ(px[3], 137);
  // Exponent 136 gives mantissas as they are.
  lftm::encode_rgbe(129.4f, 0, 0, px);
  EXPECT_EQ(px[0], 129);
  EXPECT_EQ(px[3], 136);
  // Too bright for RGBE: the largest value; too dark: black.
  lftm::encode_rgbe(3e38f, 1.0f, 0, px);
  EXPECT_EQ(px[0], 255);
  EXPECT_EQ(px[3], 255);
  lftm::encode_rgbe(1e-44f, 0, 0, px);
  EXPECT_EQ(px[3], 0);
  lftm::encode_rgbe(0, 0, 0, px);
  EXPECT_EQ(px[0] | px[1] | px[2] | px[3], 0);
}

}  // namespace
