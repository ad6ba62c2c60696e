// The level kernels of stage 1 against the whole-plane reference, on odd and even sizes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "booster/stage1/divergence.h"
#include "booster/stage1/gradients.h"
#include "booster/stage1/level_table.h"
#include "booster/stage1/pyramid.h"
#include "booster/stage1/stage1_reference.h"
#include "booster/stage1/upsample.h"
#include "test_support.h"

namespace {

using stage1_ref::Plane;

Plane noise_plane(int w, int h, unsigned seed) {
  Plane p(w, h);
  unsigned s = seed * 2654435761u + 1;
  for (float& v : p.v) {
    s = s * 1664525u + 1013904223u;
    v = static_cast<float>(s >> 8) / 16777216.0f * 6.0f - 2.0f;
  }
  return p;
}

struct Size {
  int w, h;
};
const Size kSizes[] = {{2, 2}, {3, 3}, {7, 5}, {8, 6}, {9, 12}, {16, 12}, {17, 9}};

TEST(KernelsTest, ReductionMatchesReference) {
  for (Size s : kSizes) {
    for (bool is360 : {false, true}) {
      Plane p = noise_plane(s.w, s.h, 3);
      Plane expected = stage1_ref::reduce(p, is360);
      std::vector<float> out(expected.v.size());
      lftm::reduce_level(p.v.data(), s.w, s.h, is360, out.data());
      EXPECT_EQ(out, expected.v) << s.w << " x " << s.h << " is360 " << is360;
    }
  }
}

TEST(KernelsTest, GradientsMatchReferenceAndIgnoreJumpsAbove100) {
  for (Size s : kSizes) {
    for (bool is360 : {false, true}) {
      Plane p = noise_plane(s.w, s.h, 5);
      if (s.w > 4) p.at(2, 1) += 150.0f;  // a jump larger than 100
      float expectedSum;
      Plane expected = stage1_ref::gradients(p, is360, 0.25, &expectedSum);
      std::vector<float> rows(3 * static_cast<size_t>(s.w));
      const float sum = lftm::gradient_level(p.v.data(), s.w, s.h, is360, 0.25, rows.data());
      EXPECT_EQ(p.v, expected.v) << s.w << " x " << s.h << " is360 " << is360;
      EXPECT_EQ(sum, expectedSum);
    }
  }
  // Spot checks on a 5 x 4 ramp: columns 0..4 hold 0, 1, 2, 3, 10 (+ 200 at column 2 of
  // row 2). Row 1, x = 0 differs between a plain image (gx = 1 - 0) and a panorama
  // (gx = 1 - 10); the jump of 200 zeroes the vertical differences around it.
  for (bool is360 : {false, true}) {
    Plane p(5, 4);
    const float column[] = {0, 1, 2, 3, 10};
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 5; ++x) p.at(x, y) = column[x];
    }
    p.at(2, 2) = 202.0f;
    std::vector<float> rows(15);
    lftm::gradient_level(p.v.data(), 5, 4, is360, 1.0, rows.data());
    EXPECT_EQ(p.at(0, 1), is360 ? 9.0f : 1.0f);
    EXPECT_EQ(p.at(2, 1), 2.0f);  // gy = 202 - 2 is dropped, gx = 3 - 1
    EXPECT_EQ(p.at(1, 2), 0.0f);  // gx = 202 - 0 dropped, gy = 1 - 1
  }
}

// A pyramid of attenuation factors with levels 64x36, 32x18, 16x9, 8x5, 4x3: the 16 x 9
// level has an even width and an odd height, the case where an in-place window product
// could overwrite the coarse values that wrap-around still needs.
struct FactorPyramid {
  lftm::LevelTable levels;
  std::vector<Plane> factors;
  std::vector<float> buf;
};

FactorPyramid make_factor_pyramid() {
  PyramidDims dims{};
  dims.W0 = dims.W = 64;
  dims.H0 = dims.H = 36;
  dims.minW = 4;
  dims.minH = 3;
  dims.levels2 = 4;
  dims.total2 = 64 * 36 + 32 * 18 + 16 * 9 + 8 * 5 + 4 * 3;
  FactorPyramid f;
  EXPECT_EQ(lftm::plan_levels(dims, &f.levels), 0);
  EXPECT_EQ(f.levels.count, 5);
  for (int k = 0; k < f.levels.count; ++k) {
    Plane p = noise_plane(f.levels.width[k], f.levels.height[k], 11 + k);
    for (float& v : p.v) v = 0.5f + v * 0.1f;
    f.factors.push_back(p);
    f.buf.insert(f.buf.end(), p.v.begin(), p.v.end());
  }
  return f;
}

TEST(KernelsTest, PhiAndWindowProductsMatchReference) {
  for (bool is360 : {false, true}) {
    FactorPyramid f = make_factor_pyramid();
    lftm::phi_product(f.buf.data(), f.levels, is360);
    Plane phi = f.factors[4];
    for (int k = 3; k >= 0; --k) {
      phi = stage1_ref::multiply_upsampled(f.factors[k], phi, is360);
      const float* level = f.buf.data() + f.levels.offset[k];
      EXPECT_EQ(std::vector<float>(level, level + phi.v.size()), phi.v) << k << " " << is360;
    }

    // Windows of levels 0..4 and 1..3, intermediate levels in a level-1-sized buffer.
    for (int t : {0, 1}) {
      FactorPyramid g = make_factor_pyramid();
      const int k0 = t == 0 ? 4 : 3;
      std::vector<float> temp(g.levels.size(1));
      lftm::window_product(g.buf.data(), g.levels, t, k0, is360, temp.data(), temp.size());
      Plane product = g.factors[k0];
      for (int k = k0 - 1; k >= t; --k) {
        product = stage1_ref::multiply_upsampled(g.factors[k], product, is360);
      }
      const float* level = g.buf.data() + g.levels.offset[t];
      EXPECT_EQ(std::vector<float>(level, level + product.v.size()), product.v)
          << "target " << t << " is360 " << is360;
    }
  }
}

TEST(KernelsTest, DivergenceFromMemoryAndFromFileMatchesReference) {
  lftm_test::TempDir dir;
  for (Size s : kSizes) {
    Plane lg = noise_plane(s.w, s.h, 7);
    Plane phi = noise_plane(s.w, s.h, 9);
    Plane expected = stage1_ref::divergence(lg, phi);

    std::vector<float> rows(3 * static_cast<size_t>(s.w));
    Plane fromMemory = phi;
    lftm::LogRows memory;
    memory.use_memory(lg.v.data(), s.w, s.h);
    EXPECT_EQ(lftm::divergence_level(fromMemory.v.data(), s.w, s.h, &memory, rows.data()), 0);
    EXPECT_EQ(fromMemory.v, expected.v) << s.w << " x " << s.h;

    // In a file the level sits behind 3 floats of another level.
    const std::string path = dir.file("lg");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    const float lead[3] = {9, 9, 9};
    std::fwrite(lead, sizeof(float), 3, file);
    std::fwrite(lg.v.data(), sizeof(float), lg.v.size(), file);
    std::fclose(file);
    Plane fromFile = phi;
    lftm_test::DiagCapture capture;
    lftm::LogRows streamed;
    ASSERT_EQ(streamed.open_file(path.c_str(), 3, s.w, s.h), 0);
    EXPECT_EQ(lftm::divergence_level(fromFile.v.data(), s.w, s.h, &streamed, rows.data()), 0);
    EXPECT_EQ(fromFile.v, expected.v) << s.w << " x " << s.h;
    EXPECT_EQ(capture.out(), "tempFile :" + path + "\n");
  }
}

TEST(KernelsTest, ShortScratchFileIsReported) {
  lftm_test::TempDir dir;
  const std::string path = dir.file("short");
  std::vector<float> lg(8 * 4, 1.0f);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(lg.data(), sizeof(float), 8 * 3 + 2, file);  // three rows and a quarter of the fourth
  std::fclose(file);
  std::vector<float> phi(8 * 5, 1.0f);
  std::vector<float> rows(24);
  lftm_test::DiagCapture capture;
  lftm::LogRows streamed;
  ASSERT_EQ(streamed.open_file(path.c_str(), 0, 8, 5), 0);
  EXPECT_EQ(lftm::divergence_level(phi.data(), 8, 5, &streamed, rows.data()), -2);
  EXPECT_NE(capture.out().find("can not read temporary file at 2 - returned 1 instead of 4\n"),
            std::string::npos);
  lftm::LogRows missing;
  EXPECT_EQ(missing.open_file(dir.file("none").c_str(), 0, 8, 5), -1);
  EXPECT_NE(capture.out().find("can not open temporary file\n"), std::string::npos);
}

}  // namespace
