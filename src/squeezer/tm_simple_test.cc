// SPDX-License-Identifier: BSD-3-Clause
#include "squeezer/tm_simple.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/workers.h"
#include "squeezer/response_curve.h"
#include "support/diag_capture.h"
#include "support/rgbe_images.h"
#include "support/tm_simple_reference.h"

namespace {

struct Image {
  int isFP = 0;  // 0: RGBE planar bytes, n: floats with n samples a pixel
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;
};

// RGBE pixels with a wide spread of exponents and a few black (exponent 0) pixels.
Image rgbe_image(int w, int h, uint32_t seed) {
  lftm_test::RgbePlanar src = lftm_test::make_test_image(w, h, seed);
  Image img{0, w, h, src.bytes};
  uint32_t state = seed;
  for (int y = 0; y < h; ++y) {
    uint8_t* exps = img.bytes.data() + 4L * w * y + 3L * w;
    for (int x = 0; x < w; ++x) {
      state = state * 1664525u + 1013904223u;
      exps[x] = (state >> 24) % 23 == 0 ? 0 : static_cast<uint8_t>(120 + (state >> 27) % 24);
    }
  }
  return img;
}

// Interleaved floats spread over six decades, with one negative and one zero pixel.
Image float_image(int w, int h, int spp, uint32_t seed) {
  Image img{spp, w, h, std::vector<uint8_t>(sizeof(float) * w * h * spp)};
  float* f = reinterpret_cast<float*>(img.bytes.data());
  uint32_t state = seed;
  for (long i = 0; i < static_cast<long>(w) * h * spp; ++i) {
    state = state * 1664525u + 1013904223u;
    f[i] = std::pow(10.0f, static_cast<float>(state >> 8) / (1 << 24) * 6 - 3);
  }
  f[0] = -1.5f;
  for (int c = 0; c < spp; ++c) f[spp + c] = 0;
  return img;
}

// Statistics spanning the test images' luminances (about e^-7 to e^10).
const LogStats kStats{-7, 10, 1, 0.45f};

TmParam settings(float brightness, float compression, float contrast, float whiteClip,
                 float blackClip, float temperature, float saturation) {
  TmParam p{};
  p.tmParam[0] = brightness;
  p.tmParam[1] = compression;
  p.tmParam[2] = contrast;
  p.tmParam[3] = whiteClip;
  p.tmParam[4] = blackClip;
  p.tmParam[12] = temperature;
  p.tmParam[13] = saturation;
  return p;
}

const TmParam kSettings[] = {
    settings(0, 0, 0, 0, 0, 0, 0),
    settings(3, -4, 5, 1, 2, 0, 0),
    settings(-8, 7, -10, 0, 0, -1, 5),       // white balance and saturation
    settings(1.5f, -10, 10, 0.5f, -1, 12, -3),
    settings(-6, 10, -3, 2, 1, 0.7f, 100),  // saturation clipped at 1, no white balance
    settings(9, 2.5f, 0, 0, 0, -25, 0.5f),  // strong white balance, no saturation
};

ImageDesc layout(const Image& img, int spp, int bits, int bgr, int planes, int gap = 0) {
  ImageDesc d{};
  d.width = img.width;
  d.height = img.height;
  d.spp = spp;
  d.bits = bits;
  d.rowSamples = img.width * spp;
  d.rowStride = img.width * spp + gap;
  d.bgr = bgr;
  d.planes = planes;
  return d;
}

size_t output_bytes(const ImageDesc& d) {
  size_t samples = d.planes == 3 ? 3UL * d.width * d.height
                                 : static_cast<size_t>(d.rowStride) * d.height;
  return samples * (d.bits / 8);
}

struct Outcome {
  int result;
  std::vector<uint8_t> out;
  std::string printed;
  std::string printedErr;
};

// tm_simple on a copy of the input, into an output pre-filled with 0xA5.
Outcome run(const Image& img, const ImageDesc& d, const TmParam& p, const LogStats& s,
        int threads) {
  static const std::vector<float> table = lftm_test::reference_exp_table();
  std::vector<uint8_t> input = img.bytes;
  Outcome r;
  r.out.assign(output_bytes(d), 0xA5);
  lftm_test::DiagCapture capture;
  r.result = tm_simple(img.isFP, &d, &p, &s, table.data(), &threads, input.data(),
                       r.out.data());
  r.printed = capture.out();
  r.printedErr = capture.err();
  return r;
}

std::vector<uint8_t> reference(const Image& img, const ImageDesc& d, const TmParam& p,
                               const LogStats& s) {
  static const std::vector<float> table = lftm_test::reference_exp_table();
  std::vector<uint8_t> out(output_bytes(d), 0xA5);
  EXPECT_EQ(lftm_test::reference_tm_simple(img.isFP, d, p, s, table.data(), img.bytes.data(),
                                           out.data()),
            d.height);
  return out;
}

size_t count_of(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(TmSimpleOutput, MatchesThePlainReferenceBitForBit) {
  // Widths past 256 pixels cross the operator's internal chunks.
  const Image inputs[] = {rgbe_image(29, 13, 7), float_image(23, 11, 3, 9),
                          float_image(17, 9, 4, 5), rgbe_image(531, 3, 8),
                          float_image(300, 2, 3, 10)};
  for (const Image& img : inputs) {
    const LogStats& s = kStats;
    const int spp = img.isFP > 0 ? img.isFP : 3;
    for (const TmParam& p : kSettings) {
      for (int bits : {8, 16}) {
        for (int planes : {0, 3}) {
          for (int bgr : {0, 1}) {
            ImageDesc d = layout(img, spp, bits, bgr, planes, planes == 3 ? 0 : 5);
            Outcome got = run(img, d, p, s, 1);
            ASSERT_EQ(got.result, img.height);
            ASSERT_EQ(got.out, reference(img, d, p, s))
                << "isFP " << img.isFP << " bits " << bits << " planes " << planes << " bgr "
                << bgr << " brightness " << p.tmParam[0];
          }
        }
      }
    }
  }
}

TEST(TmSimpleOutput, TilesGiveTheSameBytesAsOnePass) {
  for (int height : {10, 37}) {
    const Image inputs[] = {rgbe_image(21, height, 3), float_image(19, height, 3, 4)};
    for (const Image& img : inputs) {
      const LogStats& s = kStats;
      for (const TmParam& p : {kSettings[0], kSettings[2]}) {
        for (int bits : {8, 16}) {
          for (int planes : {0, 3}) {
            ImageDesc d = layout(img, 3, bits, 1, planes, planes == 3 ? 0 : 2);
            Outcome one = run(img, d, p, s, 1);
            for (int threads : {2, 3, 4, 7}) {
              Outcome tiled = run(img, d, p, s, threads);
              EXPECT_EQ(tiled.result, planes == 3 ? height : height - (threads - 1) * (height / threads));
              ASSERT_EQ(tiled.out, one.out) << "height " << height << " threads " << threads
                                            << " bits " << bits << " planes " << planes;
              EXPECT_EQ(count_of(tiled.printedErr, "tm_simple_threaded"),
                        static_cast<size_t>(threads));
            }
          }
        }
      }
    }
  }
}

TEST(TmSimpleOutput, PlanarIsTheInterleavedOutputDeinterleaved) {
  const Image img = rgbe_image(15, 8, 11);
  const LogStats& s = kStats;
  for (int bgr : {0, 1}) {
    Outcome inter = run(img, layout(img, 3, 8, bgr, 0), kSettings[1], s, 1);
    for (int threads : {1, 3}) {
      Outcome planar = run(img, layout(img, 3, 8, bgr, 3), kSettings[1], s, threads);
      const size_t n = 15 * 8;
      for (size_t i = 0; i < n; ++i) {
        const int red = bgr ? 2 : 0, blue = bgr ? 0 : 2;
        ASSERT_EQ(planar.out[i], inter.out[3 * i + red]);
        ASSERT_EQ(planar.out[n + i], inter.out[3 * i + 1]);
        ASSERT_EQ(planar.out[2 * n + i], inter.out[3 * i + blue]);
      }
    }
  }
}

TEST(TmSimpleOutput, ChannelOrderGreyAndBlackPixels) {
  Image img = rgbe_image(12, 6, 2);
  // A bright pixel whose exponent byte is 0 stays black.
  img.bytes[0] = img.bytes[12] = img.bytes[24] = 255;
  img.bytes[36] = 0;
  const LogStats& s = kStats;
  const TmParam p = settings(2, 0, 0, 0, -3, 0, 0);

  Outcome rgb = run(img, layout(img, 3, 16, 0, 0), p, s, 1);
  Outcome bgr = run(img, layout(img, 3, 16, 1, 0), p, s, 1);
  Outcome grey = run(img, layout(img, 1, 16, 0, 0), p, s, 1);
  const uint16_t* a = reinterpret_cast<const uint16_t*>(rgb.out.data());
  const uint16_t* b = reinterpret_cast<const uint16_t*>(bgr.out.data());
  const uint16_t* g = reinterpret_cast<const uint16_t*>(grey.out.data());
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(a[1], 0);
  EXPECT_EQ(a[2], 0);
  bool saw_colour = false;
  for (int i = 0; i < 12 * 6; ++i) {
    EXPECT_EQ(b[3 * i], a[3 * i + 2]);
    EXPECT_EQ(b[3 * i + 1], a[3 * i + 1]);
    EXPECT_EQ(b[3 * i + 2], a[3 * i]);
    EXPECT_EQ(g[i], a[3 * i + 2]);  // one sample: the blue result is written last
    saw_colour = saw_colour || a[3 * i] != a[3 * i + 2];
  }
  EXPECT_TRUE(saw_colour);
}

TEST(TmSimpleCurve, ExponentIntensityAndWhiteBalanceSwitches) {
  LogStats s{-2, 6, 1, 0.45f};
  lftm::SqueezerCurve c;
  TmParam p = settings(0, -10, 0, 0, 0, 0, 0);
  lftm::make_squeezer_curve(8, &p, &s, &c);
  EXPECT_EQ(c.e, 0.01f);
  p.tmParam[1] = 10;
  lftm::make_squeezer_curve(8, &p, &s, &c);
  EXPECT_EQ(c.e, 0.7f);
  p.tmParam[1] = 0;
  lftm::make_squeezer_curve(8, &p, &s, &c);
  EXPECT_EQ(c.e, 0.45f);
  s.autoContrast = 0;  // falls back to the exponent derived from the statistics
  lftm::make_squeezer_curve(16, &p, &s, &c);
  EXPECT_NEAR(c.e, 0.3 + 0.6 * std::pow(5.0 / 8.0, 1.4), 1e-6);
  EXPECT_EQ(c.ldrMax, 65535.0f);

  // The intensity is continuous where its branches meet at -6: f = -3 either way.
  p.tmParam[0] = -6;
  lftm::make_squeezer_curve(8, &p, &s, &c);
  EXPECT_EQ(c.k, static_cast<float>(std::exp(3.0)));
  p.tmParam[0] = -6.0001f;
  lftm::make_squeezer_curve(8, &p, &s, &c);
  EXPECT_NEAR(c.k, std::exp(3.0), 0.005);

  p.tmParam[12] = 0.7f;
  p.tmParam[13] = 0.5f;
  lftm::make_squeezer_curve(8, &p, &s, &c);
  EXPECT_FALSE(c.whiteBalance);
  EXPECT_FALSE(c.saturate);
  p.tmParam[12] = -1;
  lftm::make_squeezer_curve(8, &p, &s, &c);
  EXPECT_TRUE(c.whiteBalance);

  // At 6500 K the matrix is the identity up to the rounding of the published matrices.
  float m[3][3];
  lftm::white_balance_matrix(0, m);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(m[i][j], i == j ? 1 : 0, 2e-3);
  }
  // Warmer than D65 (3000 K): whites are corrected towards red and away from blue.
  lftm::white_balance_matrix(17.5f, m);
  EXPECT_GT(m[0][0] + m[0][1] + m[0][2], 1.1f);
  EXPECT_LT(m[2][0] + m[2][1] + m[2][2], 0.9f);
}

TEST(TmSimpleDiagnostics, CallAndTileAndSampleLines) {
  const Image img = rgbe_image(6, 10, 1);
  const LogStats s{-1.5f, 4.25f, 0.5f, 0.5f};
  Outcome r = run(img, layout(img, 3, 8, 0, 0), kSettings[0], s, 1);
  EXPECT_EQ(r.printed,
            "6 x 10  isFP: 0  ldrMax: 255  log min=-1.500 max=4.25  moy=0.50  e=0.500\n");
  EXPECT_EQ(r.printedErr, "");

  Outcome tiled = run(img, layout(img, 3, 8, 0, 0), kSettings[0], s, 3);
  EXPECT_NE(tiled.printedErr.find("tm_simple_threaded 0  - yTile=0, hTile=3, ofs=0, lOfs=0 \n"),
            std::string::npos);
  EXPECT_NE(tiled.printedErr.find(
                "tm_simple_threaded 1  - yTile=3, hTile=3, ofs=72, lOfs=54 \n"),
            std::string::npos);
  EXPECT_NE(tiled.printedErr.find(
                "tm_simple_threaded 2  - yTile=6, hTile=4, ofs=144, lOfs=108 \n"),
            std::string::npos);
  EXPECT_EQ(count_of(tiled.printed, "isFP: 0"), 3u);

  // 16-bit output samples rows 0, 2, 4, 6, 8 (period 10 / 4) at columns 0 and 3.
  Outcome wide = run(img, layout(img, 3, 16, 0, 0), kSettings[0], s, 1);
  EXPECT_EQ(count_of(wide.printed, "in:  "), 10u);
  EXPECT_NE(wide.printed.find("  3,8\n"), std::string::npos);
  const Image tiny = rgbe_image(6, 3, 1);  // too few rows to sample: no lines
  EXPECT_EQ(count_of(run(tiny, layout(tiny, 3, 16, 0, 0), kSettings[0], s, 1).printed, "in:"),
            0u);
}

TEST(TmSimpleFailures, FlatLuminanceAndUnknownDepthWriteNothing) {
  const Image img = float_image(9, 7, 3, 3);
  const LogStats flat{2, 2, 2, 0.5f};
  const std::vector<uint8_t> untouched(output_bytes(layout(img, 3, 8, 0, 3)), 0xA5);
  for (int threads : {1, 3}) {
    for (int planes : {0, 3}) {
      ImageDesc d = layout(img, 3, 8, 0, planes);
      std::vector<uint8_t> input = img.bytes;
      std::vector<uint8_t> out(output_bytes(d), 0xA5);
      std::vector<float> table = lftm_test::reference_exp_table();
      lftm_test::DiagCapture capture;
      EXPECT_EQ(tm_simple(3, &d, &kSettings[0], &flat, table.data(), &threads, input.data(),
                          out.data()),
                -1);
      EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 0xA5));
      EXPECT_EQ(input, img.bytes);  // not used as conversion scratch
      EXPECT_EQ(capture.out(), "");
      EXPECT_EQ(capture.err().find("rgb_interleaved2color_planes"), std::string::npos);
    }
  }
  const LogStats& s = kStats;
  for (const ImageDesc& odd : {layout(img, 3, 12, 0, 0), layout(img, 0, 8, 0, 0, 8)}) {
    Outcome r = run(img, odd, kSettings[0], s, 1);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.out, std::vector<uint8_t>(r.out.size(), 0xA5));
  }
}

TEST(TmSimpleFailures, ThreadCountsWorkerStartsAndScratch) {
  const Image img = rgbe_image(8, 37, 6);
  const LogStats& s = kStats;
  const ImageDesc d = layout(img, 3, 8, 0, 3);
  Outcome one = run(img, d, kSettings[1], s, 1);

  // More workers than the tables hold: clamped to 32 tiles.
  Outcome many = run(img, d, kSettings[1], s, 40);
  EXPECT_EQ(many.result, 37);
  EXPECT_EQ(many.out, one.out);
  EXPECT_EQ(count_of(many.printedErr, "tm_simple_threaded"), 32u);

  // Tiles whose worker cannot start run on the calling thread, each exactly once.
  lftm::simulate_thread_start_failure(2);
  Outcome partly = run(img, d, kSettings[1], s, 4);
  lftm::simulate_thread_start_failure(-1);
  EXPECT_EQ(partly.result, 37);
  EXPECT_EQ(partly.out, one.out);
  EXPECT_EQ(count_of(partly.printedErr, "tm_simple_threaded"), 4u);

  lftm::simulate_failure(lftm::Fault::kScratchAllocation, 0);
  Outcome no_scratch = run(img, d, kSettings[1], s, 2);
  lftm::simulate_failure(lftm::Fault::kScratchAllocation, -1);
  EXPECT_EQ(no_scratch.result, LFTM_ERR_NO_MEMORY);
}

TEST(TmSimpleFailures, PlanarWithFourSamplesStaysInsideThreePlanes) {
  const Image img = float_image(7, 9, 4, 12);
  const LogStats& s = kStats;
  const ImageDesc d = layout(img, 4, 16, 1, 3);
  Outcome one = run(img, d, kSettings[2], s, 1);
  Outcome tiled = run(img, d, kSettings[2], s, 3);
  EXPECT_EQ(tiled.result, 9);
  EXPECT_EQ(tiled.out, one.out);
}

}  // namespace
