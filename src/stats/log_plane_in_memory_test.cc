// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "stats/log_luminance.h"
#include "support/diag_capture.h"
#include "support/rgbe_images.h"

namespace lftm {
namespace {

using lftm_test::count_of;
using lftm_test::DiagCapture;
using lftm_test::RgbePlanar;

const std::vector<float> kExp = lftm_test::reference_exp_table();
const double kLn4 = std::log(4.0);

LumStats poisoned_stats() {
  LumStats s;
  for (float* f : {&s.lumMoy, &s.lumMaxRatio, &s.lumMin, &s.logMed, &s.log25, &s.log75,
                   &s.logClip})
    *f = 5.0f;
  return s;
}

// Grey 1.0 and 4.0 in a checkerboard.
RgbePlanar checkerboard(int width, int height) {
  RgbePlanar img = lftm_test::blank_rgbe(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) lftm_test::set_grey(&img, x, y, 128, (x + y) % 2 ? 131 : 129);
  return img;
}

int rgbe_plane(const RgbePlanar& img, int W, int H, LumStats* stats, std::vector<float>* plane) {
  plane->assign(static_cast<size_t>(W) * H, -7.0f);
  return log_plane_in_memory(LFTM_DOC_RGBE, 3, img.width, img.height, img.width * 3, img.width,
                             img.height, W, H, stats, kExp.data(), nullptr, img.bytes.data(),
                             plane->data());
}

TEST(LogPlaneInMemoryRgbeTest, HandComputedGeometricMean) {
  RgbePlanar img = checkerboard(10, 10);
  LumStats stats = poisoned_stats();
  std::vector<float> plane;
  DiagCapture diag;
  ASSERT_EQ(rgbe_plane(img, 10, 10, &stats, &plane), 10);
  // Half the pixels are 1, half 4: the geometric mean is 2.
  EXPECT_NEAR(stats.lumMoy, 2.0, 2e-6);
  EXPECT_NEAR(stats.lumMaxRatio, 2.0, 2e-6);
  EXPECT_NEAR(stats.lumMin, 1.0, 2e-6);
  EXPECT_EQ(stats.logMed, 5.0f) << "fields 3-6 belong to stage 1";
  for (int i = 0; i < 100; ++i) EXPECT_NEAR(plane[i], (i / 10 + i % 10) % 2 ? kLn4 : 0.0, 1e-6);
  EXPECT_EQ(count_of(diag.out(), "tresPetit"), 0);
  EXPECT_EQ(count_of(diag.out(), "-- minMaxMoy: "), 1);
  EXPECT_NE(diag.out().find("   0.6931   lumParam 2.000 2.000  cntDiff=0  ctnPetit=0  0.00\n"),
            std::string::npos)
      << diag.out();
}

TEST(LogPlaneInMemoryRgbeTest, VariedImageAgainstReferenceWithPadding) {
  RgbePlanar img = lftm_test::make_test_image(23, 17, 4);
  const int W = 26, H = 19;
  LumStats stats = poisoned_stats();
  std::vector<float> plane;
  DiagCapture diag;
  ASSERT_EQ(rgbe_plane(img, W, H, &stats, &plane), H);

  double sum = 0, lo = 1e30, hi = -1e30;
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 23; ++x) {
      const uint8_t* row = img.bytes.data() + 4 * 23 * y;
      double lum = (0.2126 * row[x] + 0.7152 * row[23 + x] + 0.0722 * row[46 + x]) *
                   std::ldexp(1.0, row[69 + x] - 136);
      double ref = std::log(lum);
      EXPECT_NEAR(plane[y * W + x], ref, 2e-6) << x << "," << y;
      sum += ref;
      lo = std::min(lo, ref);
      hi = std::max(hi, ref);
    }
    for (int x = 23; x < W; ++x) EXPECT_EQ(plane[y * W + x], plane[y * W + 22]);
  }
  for (int y = 17; y < H; ++y)
    EXPECT_EQ(0, std::memcmp(&plane[y * W], &plane[16 * W], W * sizeof(float)));
  const double mean = sum / (23 * 17);
  EXPECT_NEAR(stats.lumMoy, std::exp(mean), 1e-5 * std::exp(mean));
  EXPECT_NEAR(stats.lumMaxRatio, std::exp(hi - mean), 1e-5 * std::exp(hi - mean));
  EXPECT_NEAR(stats.lumMin, std::exp(lo), 1e-5 * std::exp(lo));
}

TEST(LogPlaneInMemoryRgbeTest, PixelsWithoutLightArePatchedWithTheMean) {
  RgbePlanar img = checkerboard(12, 10);
  lftm_test::set_grey(&img, 3, 2, 200, 0);     // exponent 0
  lftm_test::set_grey(&img, 11, 4, 0, 130);    // no mantissa: last pixel of its row
  lftm_test::set_grey(&img, 11, 6, 90, 0);     // exponent 0: last pixel of its row
  const int W = 14;
  LumStats stats = poisoned_stats();
  std::vector<float> plane;
  DiagCapture diag;
  ASSERT_EQ(rgbe_plane(img, W, 10, &stats, &plane), 10);

  // 117 valid pixels: 1.0 where x + y is even, 4.0 elsewhere; the three unlit ones would all
  // have been 4.0.
  const double mean = 57 * kLn4 / 117;
  const float patched = plane[2 * W + 3];
  EXPECT_NEAR(patched, mean, 1e-6);
  EXPECT_NEAR(stats.lumMoy, std::exp(mean), 1e-5);
  EXPECT_NEAR(stats.lumMin, 1.0, 1e-6);
  EXPECT_EQ(plane[4 * W + 11], patched);
  EXPECT_EQ(plane[6 * W + 11], patched);
  for (float v : plane) EXPECT_GT(v, -1.0f);
  // Padding repeats the last value logged: after an unlit last pixel that is its left
  // neighbour; after a last pixel logged as a marker, the patched marker.
  EXPECT_EQ(plane[6 * W + 12], plane[6 * W + 10]);
  EXPECT_EQ(plane[6 * W + 13], plane[6 * W + 10]);
  EXPECT_EQ(plane[4 * W + 12], patched);

  const std::string& out = diag.out();
  EXPECT_NE(out.find("calc_tm0   tresPetit at  3 , 2   ipts: 31\n"), std::string::npos);
  EXPECT_NE(out.find("calc_tm0   tresPetit at  11 , 4   ipts: 67\n"), std::string::npos);
  char line[80];
  std::snprintf(line, sizeof line, "calc_tm0   tresPetit at  31   replaced by   %1.4f\n",
                patched);
  EXPECT_NE(out.find(line), std::string::npos) << out;
  EXPECT_EQ(count_of(out, "replaced by"), 3 + 2);  // the markers and row 4's padding
  EXPECT_NE(out.find("cntDiff=-3  ctnPetit=3  2.50\n"), std::string::npos) << out;
}

TEST(LogPlaneInMemoryRgbeTest, UnlitFirstRowPadsWithAPatchedMarker) {
  RgbePlanar img = checkerboard(10, 10);
  for (int x = 0; x < 10; ++x) lftm_test::set_grey(&img, x, 0, 0, 0);
  LumStats stats = poisoned_stats();
  std::vector<float> plane;
  DiagCapture diag;
  ASSERT_EQ(rgbe_plane(img, 11, 10, &stats, &plane), 10);
  EXPECT_EQ(plane[10], plane[0]);
  EXPECT_NEAR(plane[10], 45 * kLn4 / 90, 1e-6);
}

std::vector<float> ramp_lut(float step) {
  std::vector<float> lut(65536);
  for (int i = 0; i < 65536; ++i) lut[i] = i * step;
  return lut;
}

TEST(LogPlaneInMemorySamplesTest, SixteenBitInterleavedRows) {
  const int w = 10, h = 12, spp = 3, stride = w * spp + 5;
  std::vector<uint16_t> data(static_cast<size_t>(stride) * h, 0xFFFF);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < spp; ++c)
        data[y * stride + x * spp + c] = static_cast<uint16_t>(37 * x + 101 * y + 900 * c + 7);
  data[0] = 1000;
  data[1] = 2000;
  data[2] = 3000;
  const std::vector<float> lut = ramp_lut(1.0f / 64);
  LumStats stats = poisoned_stats();
  std::vector<float> plane(static_cast<size_t>(w + 1) * h, -7.0f);
  DiagCapture diag;
  ASSERT_EQ(log_plane_in_memory(LFTM_DOC_U16, spp, w, h, stride, w, h, w + 1, h, &stats,
                                kExp.data(), lut.data(), data.data(), plane.data()),
            h);

  double sum = 0, lo = 1e30, hi = -1e30;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint16_t* s = &data[y * stride + x * spp];
      double lum = 0.2126 * s[0] / 64 + 0.7152 * s[1] / 64 + 0.0722 * s[2] / 64;
      double ref = std::log(std::max(lum, 1.0));
      EXPECT_NEAR(plane[y * (w + 1) + x], ref, 2e-6);
      sum += ref;
      lo = std::min(lo, ref);
      hi = std::max(hi, ref);
    }
    EXPECT_EQ(plane[y * (w + 1) + w], plane[y * (w + 1) + w - 1]);
  }
  EXPECT_NEAR(stats.lumMoy, std::exp(sum / (w * h)), 1e-4);
  EXPECT_NEAR(stats.lumMin, std::exp(lo), 1e-4);
  EXPECT_NEAR(stats.lumMaxRatio, std::exp(hi - sum / (w * h)), 1e-4);
  // Sample lines on rows 0, 3, 6, 9 and columns 0, 2, 4, 6, 8; nothing else is printed.
  EXPECT_EQ(count_of(diag.out(), "\n"), 20);
  EXPECT_EQ(diag.out().rfind("1000  3    15.62 31.25 46.88   29.06  0, 0\n", 0), 0u)
      << diag.out();
}

TEST(LogPlaneInMemorySamplesTest, SixteenBitBelowOneGivesZeroPlane) {
  const int w = 10, h = 10;
  std::vector<uint16_t> data(w * h);
  for (int i = 0; i < w * h; ++i) data[i] = static_cast<uint16_t>(i * 600);
  const std::vector<float> lut = ramp_lut(1.0f / 65536);
  LumStats stats = poisoned_stats();
  std::vector<float> plane(12 * 11, -7.0f);
  DiagCapture diag;
  ASSERT_EQ(log_plane_in_memory(LFTM_DOC_U16, 1, w, h, w, w, h, 12, 11, &stats, kExp.data(),
                                lut.data(), data.data(), plane.data()),
            11);
  for (float v : plane) EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(stats.lumMoy, 1.0f);
  EXPECT_EQ(stats.lumMaxRatio, 1.0f);
  EXPECT_EQ(stats.lumMin, 1.0f);
}

TEST(LogPlaneInMemorySamplesTest, EightBitFillsThePlaneOnly) {
  const int w = 11, h = 10, spp = 4;
  std::vector<uint8_t> data(static_cast<size_t>(w) * h * spp);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 % 256);
  const std::vector<float> lut = ramp_lut(0.5f);
  LumStats stats = poisoned_stats();
  std::vector<float> plane(static_cast<size_t>(w) * h);
  DiagCapture diag;
  ASSERT_EQ(log_plane_in_memory(LFTM_DOC_U8, spp, w, h, w * spp, w, h, w, h, &stats, kExp.data(),
                                lut.data(), data.data(), plane.data()),
            h);
  for (int i = 0; i < w * h; ++i) {
    const uint8_t* s = &data[i * spp];  // red, green and blue at 0, 1 and 3
    double lum = 0.3 * s[0] * 0.5 + 0.6 * s[1] * 0.5 + 0.1 * s[3] * 0.5;
    EXPECT_NEAR(plane[i], std::log(std::max(lum, 1.0)), 2e-6) << i;
  }
  const LumStats before = poisoned_stats();
  EXPECT_EQ(std::memcmp(&stats, &before, sizeof stats), 0);
  EXPECT_EQ(diag.out(), "");
}

TEST(LogPlaneInMemoryTest, BadArguments) {
  RgbePlanar img = checkerboard(10, 10);
  const std::vector<float> lut = ramp_lut(1.0f);
  std::vector<float> plane(200, -7.0f);
  LumStats stats = poisoned_stats();
  DiagCapture diag;
  auto call = [&](int docType, int spp, int width, int height, int stride, int W0, int H0, int W,
                  int H) {
    return log_plane_in_memory(docType, spp, width, height, stride, W0, H0, W, H, &stats,
                               kExp.data(), lut.data(), img.bytes.data(), plane.data());
  };
  EXPECT_EQ(call(-1, 3, 10, 10, 30, 10, 10, 10, 10), 1);
  EXPECT_EQ(call(0, 3, 10, 10, 30, 9, 10, 10, 10), -1);
  EXPECT_EQ(call(0, 3, 10, 10, 30, 10, 9, 10, 10), -1);
  EXPECT_EQ(call(3, 3, 10, 10, 30, 10, 10, 10, 10), -3);
  EXPECT_EQ(call(LFTM_DOC_FLOAT, 3, 10, 10, 30, 10, 10, 10, 10), -3);
  EXPECT_EQ(call(0, 3, 10, 10, 30, 10, 10, 9, 12), -1) << "plane narrower than the image";
  EXPECT_EQ(call(0, 3, 10, 10, 30, 10, 10, 12, 9), -1) << "plane shorter than the image";
  EXPECT_EQ(call(0, 3, 10, 10, 30, 11, 10, 12, 10), -1) << "image narrower than W0";
  EXPECT_EQ(call(0, 3, 10, 10, 30, 10, 10, 70000, 70000), -1) << "W x H past 32 bits";
  EXPECT_EQ(call(1, 0, 10, 10, 30, 10, 10, 10, 10), -1) << "no samples per pixel";
  EXPECT_EQ(call(2, 1, 10, 10, -1, 10, 10, 10, 10), -1) << "rows stepping backwards";
  for (float v : plane) EXPECT_EQ(v, -7.0f);
  EXPECT_EQ(stats.lumMoy, 5.0f);
  EXPECT_EQ(diag.out(), "");
}

}  // namespace
}  // namespace lftm
