// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/coarse_to_fine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "booster/poisson/poisson_operator.h"
#include "booster/poisson/prolongation.h"
#include "settings/settings_table.h"
#include "support/diag_capture.h"
#include "support/files.h"
#include "support/float_fields.h"
#include "support/temp_dir.h"
#include "lftm.h"

namespace lftm {
namespace {

using lftm_test::same_bits;

TEST(ProlongationTest, InPlaceEqualsASeparateBuffer) {
  lftm_test::DiagCapture quiet;
  for (int L = 4; L <= 21; ++L) {
    for (int M = 4; M <= 21; ++M) {
      for (bool wraps : {false, true}) {
        const int G = (L + 1) / 2, Hc = (M + 1) / 2;
        const std::vector<float> coarse = lftm_test::random_vector(G * Hc, L * 100 + M);
        std::vector<float> separate(L * M);
        prolongate(coarse.data(), G, Hc, separate.data(), L, M, wraps);
        std::vector<float> shared(L * M, 0.0f);
        std::copy(coarse.begin(), coarse.end(), shared.end() - G * Hc);
        prolongate(shared.data() + L * M - G * Hc, G, Hc, shared.data(), L, M, wraps);
        EXPECT_TRUE(same_bits(separate, shared)) << L << "x" << M << " " << wraps;
      }
    }
  }
}

TEST(ProlongationTest, InterpolatesAlongRowsAndWrapsTheLastColumn) {
  lftm_test::DiagCapture quiet;
  // Coarse 3 x 2, value = column; fine 6 x 4.
  const std::vector<float> coarse = {0, 1, 2, 0, 1, 2};
  std::vector<float> fine(24);
  prolongate(coarse.data(), 3, 2, fine.data(), 6, 4, false);
  const float expected_row[6] = {0, 0.5f, 1, 1.5f, 2, 2};
  for (int k = 0; k < 4; ++k) {
    for (int l = 0; l < 6; ++l) EXPECT_EQ(fine[k * 6 + l], expected_row[l]) << k << "," << l;
  }
  // Wrapped around, the last column averages the row end with the row start (the bottom row
  // of an even height excepted).
  prolongate(coarse.data(), 3, 2, fine.data(), 6, 4, true);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(fine[k * 6 + 5], 1.0f) << k;
  EXPECT_EQ(fine[3 * 6 + 5], 2.0f);
}

TEST(CoarseToFineTest, SliderAndToleranceClassGiveTheTabledValues) {
  EXPECT_EQ(iteration_limit(0.0f), 50);
  EXPECT_EQ(iteration_limit(10.0f), 150);
  EXPECT_EQ(iteration_limit(-10.0f), 16);
  EXPECT_EQ(base_tolerance(-2), static_cast<float>(3e-4));
  EXPECT_EQ(base_tolerance(0), 1e-5f);
  EXPECT_EQ(base_tolerance(2), 1e-7f);
  EXPECT_EQ(base_tolerance(7), 1e-6f);
}

// A right-hand-side pyramid whose every level is A x* of a known smooth x*, so that the
// stage's output is exp(x*) up to a constant factor.
struct KnownPyramid {
  int W, H, count;
  std::vector<float> truth;  // level 0
  std::vector<float> out;

  KnownPyramid(int w0, int h0, int levels, bool wraps) : W(w0), H(h0), count(levels) {
    std::vector<int> ws(levels), hs(levels);
    pyramid_levels(W, H, levels, ws.data(), hs.data());
    for (int k = 0; k < levels; ++k) {
      std::vector<float> x(static_cast<size_t>(ws[k]) * hs[k]);
      for (int i = 0; i < hs[k]; ++i) {
        for (int j = 0; j < ws[k]; ++j) {
          const float fx = static_cast<float>(j) * W / ws[k], fy = static_cast<float>(i) * H / hs[k];
          x[static_cast<size_t>(i) * ws[k] + j] = std::sin(0.03f * fx) + 0.5f * std::cos(0.04f * fy);
        }
      }
      if (k == 0) truth = x;
      std::vector<float> b(x.size());
      apply_operator(0, ws[k], hs[k], wraps, x.data(), b.data());
      out.insert(out.end(), b.begin(), b.end());
    }
    out.resize(out.size() + 2 * static_cast<size_t>(W) * H / 4 + 16, 0.0f);  // slack
  }

  double log_deviation() const {
    std::vector<float> logs(truth.size());
    for (size_t i = 0; i < logs.size(); ++i) logs[i] = std::log(out[i]);
    return lftm_test::max_deviation_up_to_constant(logs, truth);
  }
};

TmParam slider_params(float slider = 10.0f) {
  TmParam p{};
  p.tmParam[kBoosterSmoothingMode] = 1.0f;
  p.tmParam[kBoosterSmoothingSlider] = slider;
  p.tmParam[kBoosterToleranceClass] = 2.0f;
  return p;
}

TmFiles memory_run(int threads) {
  TmFiles f{};
  f.threads = threads;
  return f;
}

int run(KnownPyramid& k, const TmParam& p, const TmFiles& files, float* work1 = nullptr,
        float* work2 = nullptr) {
  ImageDesc d{};
  d.width = k.W;
  d.height = k.H;
  return calc_tm2(d, 0, 0, static_cast<int>(k.out.size()), k.count + 1, &p, files, work1, work2,
                  k.out.data());
}

// A slider whose limit passes the int range is refused before anything is solved: a
// 360-degree level, which need not converge, would run that many steps (the NaN, +inf and
// 1e30 sliders of a hostile host did, for days).
TEST(CoarseToFineTest, SliderBeyondAnIntOfStepsIsRefused) {
  EXPECT_GT(iteration_limit(159.0f), 1900000000);
  EXPECT_EQ(iteration_limit(-INFINITY), 0);
  for (float slider : {160.0f, 1e30f, INFINITY, std::nanf("")}) {
    EXPECT_EQ(iteration_limit(slider), -1) << slider;
  }
  lftm_test::DiagCapture quiet;
  KnownPyramid k(40, 30, 3, 1);
  const std::vector<float> before = k.out;
  EXPECT_EQ(run(k, slider_params(INFINITY), memory_run(2)), -1);
  EXPECT_TRUE(k.out == before) << "nothing solved";
}

TEST(CoarseToFineTest, ReconstructsAKnownLogLuminance) {
  lftm_test::DiagCapture quiet;
  for (int threads : {0, 2}) {
    KnownPyramid k(120, 80, 3, 0);
    EXPECT_EQ(run(k, slider_params(), memory_run(threads)), 120 * 80);
    EXPECT_LT(k.log_deviation(), 5e-3) << threads;
  }
}

TEST(CoarseToFineTest, ShallowPyramidsSolveLevelZeroAlone) {
  lftm_test::DiagCapture quiet;
  for (int rang : {1, 0, -3}) {
    KnownPyramid k(40, 30, 1, 0);
    ImageDesc d{};
    d.width = 40;
    d.height = 30;
    TmParam p = slider_params();
    EXPECT_EQ(calc_tm2(d, 0, 0, 0, rang, &p, memory_run(0), nullptr, nullptr, k.out.data()),
              1200);
    EXPECT_LT(k.log_deviation(), 5e-3) << rang;
  }
}

TEST(CoarseToFineTest, WorkBuffersAndThreadCountsAboveTheLimitChangeNothing) {
  lftm_test::DiagCapture quiet;
  KnownPyramid plain(90, 70, 3, 1);
  KnownPyramid buffered = plain;
  run(plain, slider_params(0.0f), memory_run(0));
  std::vector<float> work1(3 * 90 * 70, 5.0f), work2(90 * 70, 5.0f);
  run(buffered, slider_params(0.0f), memory_run(0), work1.data(), work2.data());
  EXPECT_TRUE(same_bits(plain.out, buffered.out));

  KnownPyramid at_limit(90, 70, 3, 1);
  KnownPyramid above(90, 70, 3, 1);
  run(at_limit, slider_params(0.0f), memory_run(32));
  run(above, slider_params(0.0f), memory_run(100));
  EXPECT_TRUE(same_bits(at_limit.out, above.out));
}

struct ScratchSet {
  lftm_test::TempDir dir;
  std::string paths[5] = {dir.file("tm11"), dir.file("tm12"), dir.file("tm13"), dir.file("tm14"),
                          dir.file("tm15")};
  TmFiles files(int threads = 2) {
    for (const std::string& p : paths) lftm_test::write_file(p, {});
    TmFiles f{};
    f.threads = threads;
    f.readFromDisk = 1;
    f.scratch1 = paths[0].c_str();
    f.scratch2 = paths[1].c_str();
    f.scratch3 = paths[2].c_str();
    f.scratch4 = paths[3].c_str();
    f.scratch5 = paths[4].c_str();
    return f;
  }
  bool exists(int i) const {
    std::FILE* f = std::fopen(paths[i].c_str(), "rb");
    if (f != nullptr) std::fclose(f);
    return f != nullptr;
  }
  std::vector<float> plane(int i) const {
    std::vector<uint8_t> bytes = lftm_test::read_file(paths[i]);
    std::vector<float> v(bytes.size() / 4);
    std::memcpy(v.data(), bytes.data(), v.size() * 4);
    return v;
  }
};

TEST(CoarseToFineTest, DiskModeStreamsTheFinestLevelsAndLeavesThePlaneInTheFirstFile) {
  lftm_test::DiagCapture capture;
  KnownPyramid memory(96, 64, 4, 0);
  KnownPyramid disk = memory;
  run(memory, slider_params(), memory_run(0));
  ScratchSet scratch;
  EXPECT_EQ(run(disk, slider_params(), scratch.files()), 96 * 64);
  EXPECT_NE(capture.out().find("readFromDisk: 1\n"), std::string::npos);
  EXPECT_NE(capture.out().find("readFromDisk: 2\n"), std::string::npos);
  // The finest level sums its curvature over two strips: equal up to rounding.
  for (size_t i = 0; i < 96 * 64; ++i) EXPECT_NEAR(disk.out[i], memory.out[i], 1e-4 * memory.out[i]);
  std::vector<float> file = scratch.plane(0);
  ASSERT_EQ(file.size(), 96u * 64);
  EXPECT_TRUE(std::equal(file.begin(), file.end(), disk.out.begin()));
  for (int i = 1; i < 5; ++i) EXPECT_FALSE(scratch.exists(i)) << i;
}

TEST(CoarseToFineTest, ShallowDiskRunSolvesInMemoryButStillWritesTheFirstFile) {
  lftm_test::DiagCapture capture;
  KnownPyramid k(60, 40, 2, 0);
  ScratchSet scratch;
  EXPECT_EQ(run(k, slider_params(), scratch.files()), 2400);
  EXPECT_EQ(capture.out().find("readFromDisk: 1\n"), std::string::npos);
  std::vector<float> file = scratch.plane(0);
  ASSERT_EQ(file.size(), 2400u);
  EXPECT_TRUE(std::equal(file.begin(), file.end(), k.out.begin()));
  for (int i = 1; i < 5; ++i) EXPECT_FALSE(scratch.exists(i)) << i;
}

TEST(CoarseToFineTest, DiskFailuresReturnTheirCodeAndRemoveTheSolverFiles) {
  lftm_test::DiagCapture capture;
  KnownPyramid k(96, 64, 4, 0);
  ScratchSet scratch;
  TmFiles files = scratch.files();
  const std::string missing = scratch.dir.file("gone/tm11");
  files.scratch1 = missing.c_str();
  EXPECT_EQ(run(k, slider_params(), files), -1);
  EXPECT_NE(capture.out().find("can not open temporary file " + missing + "\n"), std::string::npos);
  for (int i = 1; i < 5; ++i) EXPECT_FALSE(scratch.exists(i)) << i;

  KnownPyramid again(96, 64, 4, 0);
  files = scratch.files();
  const std::string bad_r = scratch.dir.file("gone/tm14");
  files.scratch4 = bad_r.c_str();
  EXPECT_EQ(run(again, slider_params(), files), -20);
  for (int i : {1, 2, 4}) EXPECT_FALSE(scratch.exists(i)) << i;
}

TEST(CalcTm2Test, ReportsTheWorkBuffersAndRefusesMissingBuffers) {
  lftm_test::DiagCapture capture;
  ImageDesc d{};
  d.width = 16;
  d.height = 16;
  TmParam p = slider_params();
  EXPECT_EQ(calc_tm2(d, 0, 0, 0, 2, &p, memory_run(0), nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(capture.out(),
            "work1 est nul - allocation dans fonction\nwork2 est nul - allocation dans fonction\n");
  d.width = 0;
  std::vector<float> out(16);
  EXPECT_EQ(calc_tm2(d, 0, 0, 0, 2, &p, memory_run(0), out.data(), out.data(), out.data()), -1);
  EXPECT_NE(capture.out().find("work1 non nul - allocation deja faite\nwork2 non nul"),
            std::string::npos);
}

}  // namespace
}  // namespace lftm
