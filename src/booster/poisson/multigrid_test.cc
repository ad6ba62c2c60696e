// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/multigrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "booster/poisson/mg_transfer.h"
#include "booster/poisson/poisson_operator.h"
#include "booster/poisson/smoother.h"
#include "support/diag_capture.h"
#include "support/files.h"
#include "support/float_fields.h"
#include "support/temp_dir.h"
#include "platform/workers.h"

namespace lftm {
namespace {

using lftm_test::same_bits;

// Sizes of the pyramid the caller describes for a depth (halving while both sides exceed 9).
struct Described {
  int coarseW, coarseH, total;
};
Described describe(int W, int H, int N) {
  int w = W, h = H;
  int64_t total = static_cast<int64_t>(W) * H;
  for (int k = 0; k < N; ++k) {
    if (w > 9 && h > 9) {
      w = (w + 1) / 2;
      h = (h + 1) / 2;
    }
    total += static_cast<int64_t>(w) * h;
  }
  return Described{w, h, static_cast<int>(total)};
}

TEST(GridPlanTest, DivisibleImagesHalveExactlyToTheDescribedCoarsestLevel) {
  GridPlan plan;
  Described d = describe(1024, 768, 4);
  ASSERT_EQ(plan_grid(1024, 768, d.coarseW, d.coarseH, d.total, 4, &plan), 0);
  EXPECT_TRUE(plan.divisible);
  EXPECT_EQ(plan.depth, 4);
  EXPECT_EQ(plan.level[1].w, 512);
  EXPECT_EQ(plan.level[4].w, 64);
  EXPECT_EQ(plan.level[4].h, 48);
  EXPECT_EQ(plan.level[2].offset, 1024 * 768 + 512 * 384);
}

TEST(GridPlanTest, UnevenImagesStepToMultiplesOfTheFactor) {
  GridPlan plan;
  Described d = describe(1000, 750, 4);
  ASSERT_EQ(plan_grid(1000, 750, d.coarseW, d.coarseH, d.total, 4, &plan), 0);
  EXPECT_FALSE(plan.divisible);
  EXPECT_EQ(plan.level[1].w, 496);
  EXPECT_EQ(plan.level[1].h, 368);
  EXPECT_EQ(plan.step.t, 1000.0f / 496.0f);
  EXPECT_EQ(plan.depth, 4);
  EXPECT_EQ(plan.level[4].w, 62);
}

TEST(GridPlanTest, ShortDescentsAndBadDepthsAreHandled) {
  GridPlan plan;
  // The described coarsest level stops halving early: the cycles use the levels reached.
  ASSERT_EQ(plan_grid(4096, 64, 512, 8, describe(4096, 64, 4).total, 4, &plan), 0);
  EXPECT_EQ(plan.depth, 3);
  // A factor wider than the image: fewer levels.
  ASSERT_EQ(plan_grid(12, 4000, 12, 1000, describe(12, 4000, 5).total, 5, &plan), 0);
  EXPECT_LE(plan.N, 3);
  EXPECT_GE(plan.level[plan.depth].w, 2);
  EXPECT_EQ(plan_grid(100, 100, 50, 50, 20000, 0, &plan), -2);
  EXPECT_EQ(plan_grid(1, 100, 1, 50, 20000, 1, &plan), -1);
  EXPECT_EQ(plan_grid(128, 128, 64, 64, 128 * 128, 1, &plan), -1);  // no room for level 1
}

TEST(SmootherTest, ThreadedBandsGiveTheSameBitsAsOneThread) {
  lftm_test::DiagCapture quiet;
  for (int w : {40, 41}) {
    for (bool wraps : {false, true}) {
      const int h = 37;
      const std::vector<float> f = lftm_test::random_vector(w * h, 7);
      const std::vector<float> start = lftm_test::random_vector(w * h, 8);
      std::vector<float> single = start;
      ASSERT_EQ(
          smooth_single(w, h, 4.0f, 3, wraps, single.data(), RhsSource{f.data(), nullptr, 0}), 0);
      for (int threads : {2, 3, 40}) {
        for (int allowed : {-1, 1}) {
          simulate_thread_start_failure(allowed);
          std::vector<float> threaded = start;
          smooth_threaded(threads, w, h, 4.0f, 3, wraps, threaded.data(), f.data());
          simulate_thread_start_failure(-1);
          EXPECT_TRUE(same_bits(single, threaded)) << w << " " << wraps << " threads=" << threads;
        }
      }
    }
  }
}

TEST(SmootherTest, SweepsSolveASmallSystem) {
  lftm_test::DiagCapture quiet;
  const int w = 8, h = 6;
  const std::vector<float> truth = lftm_test::smooth_field(w, h);
  std::vector<float> f(w * h);
  apply_operator(0, w, h, 0, truth.data(), f.data());
  std::vector<float> v(w * h, 0.0f);
  ASSERT_EQ(smooth_single(w, h, 1.0f, 400, 0, v.data(), RhsSource{f.data(), nullptr, 0}), 0);
  // 0.3333 is not 1/3, so the fixed point is only close to the solution.
  EXPECT_LT(lftm_test::max_deviation_up_to_constant(v, truth), 2e-3);
}

TEST(TransferTest, AreaWeightsPreserveAConstant) {
  lftm_test::DiagCapture quiet;
  for (int W : {1000, 1023}) {
    for (int H : {750, 768}) {
      GridPlan plan;
      Described d = describe(W, H, 4);
      ASSERT_EQ(plan_grid(W, H, d.coarseW, d.coarseH, d.total, 4, &plan), 0);
      if (plan.divisible) continue;
      const GridLevel& c = plan.level[1];
      std::vector<float> fine(static_cast<size_t>(W) * H, 1.0f), coarse(c.w * c.h);
      restrict_uneven(fine.data(), W, H, coarse.data(), c.w, c.h, plan.step, false);
      for (float v : coarse) ASSERT_NEAR(v, 1.0f, 1e-4f) << W << "x" << H;
      // Every level-0 pixel receives a coarse value, none keeps what it held.
      std::vector<float> back(fine.size(), -99.0f);
      std::vector<float> ones(coarse.size(), 1.0f);
      prolong_uneven(ones.data(), c.w, c.h, back.data(), W, H, plan.step);
      for (float v : back) ASSERT_EQ(v, 1.0f);
    }
  }
}

std::vector<float> level_zero_residual(const std::vector<float>& u, const std::vector<float>& f,
                                       int W, int H) {
  std::vector<float> au(u.size()), r(u.size());
  apply_operator(0, W, H, 0, u.data(), au.data());
  for (size_t i = 0; i < u.size(); ++i) r[i] = f[i] - au[i];
  return r;
}

double norm(const std::vector<float>& v) {
  double s = 0.0;
  for (float x : v) s += static_cast<double>(x) * x;
  return std::sqrt(s);
}

// Runs the multigrid worker on f = A x* and returns log(out).
std::vector<float> solve(int W, int H, int N, const std::vector<float>& f, const TmFiles& files,
                         int* result) {
  Described d = describe(W, H, N);
  std::vector<float> out(static_cast<size_t>(d.total), 3.0f);
  std::copy(f.begin(), f.end(), out.begin());
  ImageDesc desc{};
  desc.width = W;
  desc.height = H;
  *result = solve_multigrid(desc, d.coarseW, d.coarseH, d.total, N, 0, files, nullptr, nullptr,
                            out.data());
  std::vector<float> u(f.size());
  for (size_t i = 0; i < u.size(); ++i) u[i] = std::log(out[i]);
  return u;
}

TEST(MultigridTest, FourCyclesReduceTheResidualOnEvenAndUnevenImages) {
  lftm_test::DiagCapture capture;
  for (int W : {1024, 1000}) {
    const int H = W * 3 / 4;
    const std::vector<float> truth = lftm_test::smooth_field(W, H);
    std::vector<float> f(truth.size());
    apply_operator(0, W, H, 0, truth.data(), f.data());
    TmFiles files{};
    files.threads = 2;
    int result = 0;
    std::vector<float> u = solve(W, H, 4, f, files, &result);
    EXPECT_EQ(result, H);
    const double before = norm(f);
    const double after = norm(level_zero_residual(u, f, W, H));
    EXPECT_LT(after, 0.25 * before) << W;
  }
  EXPECT_NE(capture.out().find("calc_tm2old 1000x750  1000x750  62x46\n"), std::string::npos);
  EXPECT_NE(capture.out().find("montee0 1000 x 750  at 0  -  min="), std::string::npos);
}

TEST(MultigridTest, ThreadsAndDiskModeGiveTheSameBits) {
  lftm_test::DiagCapture quiet;
  const int W = 160, H = 120;
  const std::vector<float> f = lftm_test::random_vector(W * H, 9, -0.01f, 0.01f);
  TmFiles memory{};
  int result = 0;
  const std::vector<float> single = solve(W, H, 3, f, memory, &result);
  ASSERT_EQ(result, H);
  memory.threads = 3;
  EXPECT_TRUE(same_bits(single, solve(W, H, 3, f, memory, &result)));

  lftm_test::TempDir dir;
  std::string paths[3] = {dir.file("rhs"), dir.file("a"), dir.file("b")};
  TmFiles disk{};
  disk.threads = 2;
  disk.readFromDisk = 1;
  disk.scratch1 = paths[0].c_str();
  disk.scratch2 = paths[1].c_str();
  disk.scratch3 = paths[2].c_str();
  const std::vector<float> streamed = solve(W, H, 3, f, disk, &result);
  ASSERT_EQ(result, H);
  EXPECT_TRUE(same_bits(single, streamed));
  std::vector<uint8_t> bytes = lftm_test::read_file(paths[0]);
  ASSERT_EQ(bytes.size(), 4u * W * H);
  float first;
  std::memcpy(&first, bytes.data(), 4);
  EXPECT_EQ(std::log(first), streamed[0]);
}

TEST(MultigridTest, WorkBuffersGiveTheSameBits) {
  lftm_test::DiagCapture quiet;
  const int W = 96, H = 64;
  const std::vector<float> f = lftm_test::random_vector(W * H, 12, -0.01f, 0.01f);
  Described d = describe(W, H, 3);
  std::vector<float> plain(static_cast<size_t>(d.total)), given(static_cast<size_t>(d.total));
  std::copy(f.begin(), f.end(), plain.begin());
  std::copy(f.begin(), f.end(), given.begin());
  ImageDesc desc{};
  desc.width = W;
  desc.height = H;
  ASSERT_EQ(solve_multigrid(desc, d.coarseW, d.coarseH, d.total, 3, 1, TmFiles{}, nullptr, nullptr,
                            plain.data()),
            H);
  std::vector<float> work1(3 * W * H, 4.0f);
  ASSERT_EQ(solve_multigrid(desc, d.coarseW, d.coarseH, d.total, 3, 1, TmFiles{}, work1.data(),
                            nullptr, given.data()),
            H);
  EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + W * H, given.begin()));

  // Both buffers at their documented sizes: work2 of W x H floats is smaller than the
  // pyramid, and only its start serves as the residual.
  std::copy(f.begin(), f.end(), given.begin());
  std::vector<float> work2(W * H, 4.0f);
  ASSERT_EQ(solve_multigrid(desc, d.coarseW, d.coarseH, d.total, 3, 1, TmFiles{}, work1.data(),
                            work2.data(), given.data()),
            H);
  EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + W * H, given.begin()));
}

TEST(MultigridTest, ElongatedImagesAndShortDescentsStayInsideTheirBuffers) {
  lftm_test::DiagCapture quiet;
  struct Case { int W, H, N; } cases[] = {{12, 400, 5}, {400, 12, 6}, {4096, 64, 4}, {37, 29, 3}};
  for (const Case& c : cases) {
    const std::vector<float> truth = lftm_test::smooth_field(c.W, c.H);
    std::vector<float> f(truth.size());
    apply_operator(0, c.W, c.H, 0, truth.data(), f.data());
    int result = 0;
    std::vector<float> u = solve(c.W, c.H, c.N, f, TmFiles{}, &result);
    ASSERT_EQ(result, c.H) << c.W << "x" << c.H;
    for (float v : u) ASSERT_TRUE(std::isfinite(v));
    EXPECT_LT(norm(level_zero_residual(u, f, c.W, c.H)), norm(f)) << c.W << "x" << c.H;
  }
  int result = 0;
  EXPECT_EQ((solve(64, 64, 0, std::vector<float>(64 * 64, 0.0f), TmFiles{}, &result), result), -2);
}

}  // namespace
}  // namespace lftm
