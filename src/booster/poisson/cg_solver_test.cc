// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/cg_solver.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "booster/poisson/poisson_operator.h"
#include "booster/poisson/scratch_io.h"
#include "support/diag_capture.h"
#include "support/float_fields.h"
#include "support/temp_dir.h"

namespace lftm {
namespace {

using lftm_test::max_deviation_up_to_constant;
using lftm_test::same_bits;

std::vector<float> apply(int w, int h, bool wraps, const std::vector<float>& v) {
  std::vector<float> y(v.size());
  apply_operator(0, w, h, wraps, v.data(), y.data());
  return y;
}

double squared_norm(const std::vector<float>& v) {
  double s = 0.0;
  for (float x : v) s += static_cast<double>(x) * x;
  return s;
}

// A level solved in memory.
SolveOptions level(int w, int h, int limit, float tolerance, bool wraps = false,
                   int threads = 0) {
  SolveOptions options;
  options.width = w;
  options.height = h;
  options.iterationLimit = limit;
  options.tolerance = tolerance;
  options.wrapsAround = wraps;
  options.threads = threads;
  return options;
}

// A level streamed through the scratch files, its right-hand side at rhsOffset.
SolveOptions streamed(SolveOptions options, bool finestLevel, int64_t rhsOffset) {
  options.streamed = true;
  options.finestLevel = finestLevel;
  options.rhsOffset = rhsOffset;
  return options;
}

// The five scratch files of a disk-backed solve, with b stored as a level of a pyramid.
struct DiskFiles {
  lftm_test::TempDir dir;
  std::string in = dir.file("in"), x = dir.file("x"), p = dir.file("p"), r = dir.file("r"),
              t = dir.file("t");
  CgPaths paths() const { return CgPaths{in.c_str(), x.c_str(), p.c_str(), r.c_str(), t.c_str()}; }
  void store_rhs(const std::vector<float>& b, int offset) {
    std::vector<float> pyramid(static_cast<size_t>(offset), 9.0f);
    pyramid.insert(pyramid.end(), b.begin(), b.end());
    std::FILE* f = std::fopen(in.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(pyramid.data(), sizeof(float), pyramid.size(), f), pyramid.size());
    std::fclose(f);
  }
};

TEST(CgSolveTest, ZeroRightHandSideStopsBeforeTheFirstStep) {
  lftm_test::DiagCapture capture;
  const int w = 20, h = 15, n = w * h;
  std::vector<float> b(n, 0.0f), x(n, 0.0f);
  EXPECT_EQ(cg_solve(level(w, h, 50, 1e-5f), CgPaths{}, nullptr, b.data(), x.data()), 0);
  for (float v : x) EXPECT_EQ(v, 0.0f);
  EXPECT_NE(capture.out().find("Init restePrev: 0.0000\n"), std::string::npos);
}

TEST(CgSolveTest, IterationLimitZeroOnlySetsUpAndPrintsTheDate) {
  lftm_test::DiagCapture capture;
  const int w = 12, h = 9, n = w * h;
  std::vector<float> b = apply(w, h, false, lftm_test::smooth_field(w, h)), x(n, 0.0f);
  EXPECT_EQ(cg_solve(level(w, h, 0, 1e-5f), CgPaths{}, nullptr, b.data(), x.data()), 0);
  for (float v : x) EXPECT_EQ(v, 0.0f);
  // The last line ends with the local date in its fixed 24-character form.
  const std::string& out = capture.out();
  const std::string head = "tm20 - stopped at iter 0   0.0000  cntRemonte: 0 -  ";
  const size_t at = out.rfind(head);
  ASSERT_NE(at, std::string::npos);
  const std::string date = out.substr(at + head.size());
  ASSERT_EQ(date.size(), 25u) << date;
  EXPECT_NE(std::string("SunMonTueWedThuFriSat").find(date.substr(0, 3)), std::string::npos);
  EXPECT_NE(std::string("JanFebMarAprMayJunJulAugSepOctNovDec").find(date.substr(4, 3)),
            std::string::npos);
  for (size_t i : {3u, 7u, 10u, 19u}) EXPECT_EQ(date[i], ' ') << date;
  EXPECT_EQ(date[13], ':');
  EXPECT_EQ(date[16], ':');
  EXPECT_EQ(date[24], '\n');
  EXPECT_EQ(capture.out().rfind("tm20  12 x 9   108  0  readFromDisk: 0\n", 0), 0u);
}

// b = A x* from a chosen x*: the solve finds x* up to the constant that A cannot see, and
// the true residual agrees with the stopping rule.
TEST(CgSolveTest, RecoversAKnownSolutionUpToAConstant) {
  lftm_test::DiagCapture quiet;
  const int w = 45, h = 31, n = w * h;
  const std::vector<float> truth = lftm_test::smooth_field(w, h, 0.3f);
  for (int threads : {0, 3}) {
    const std::vector<float> rhs = apply(w, h, false, truth);
    std::vector<float> b = rhs, x(n, 0.0f), scratch(2 * n);
    int iterations = cg_solve(level(w, h, 3000, 1e-9f, false, threads), CgPaths{}, scratch.data(),
                              b.data(), x.data());
    ASSERT_GT(iterations, 10);
    ASSERT_LT(iterations, 3000) << threads;
    EXPECT_LT(max_deviation_up_to_constant(x, truth), 2e-3) << threads;
    std::vector<float> ax = apply(w, h, false, x);
    std::vector<float> residual(n);
    for (int i = 0; i < n; ++i) residual[i] = rhs[i] - ax[i];
    EXPECT_LT(squared_norm(residual), 1e-6 * squared_norm(rhs));
  }
  // The pole makes the wrapped operator unsymmetric, so the solve only gets close.
  const std::vector<float> rhs = apply(w, h, true, truth);
  std::vector<float> b = rhs, x(n, 0.0f);
  EXPECT_EQ(cg_solve(level(w, h, 200, 1e-9f, true, 2), CgPaths{}, nullptr, b.data(), x.data()),
            200);
  EXPECT_LT(max_deviation_up_to_constant(x, truth), 0.05);
}

// Every worker count in memory, and one or two strips on disk, sum in the same blocks: the
// same bits (a level of several blocks, the strip boundary inside a block).
TEST(CgSolveTest, DiskBackedAndThreadedSolvesGiveTheSameBitsAsTheSingleThreadedOne) {
  lftm_test::DiagCapture quiet;
  const int w = 151, h = 61, n = w * h;
  for (bool wraps : {false, true}) {
    const std::vector<float> rhs = apply(w, h, wraps, lftm_test::smooth_field(w, h));
    const std::vector<float> start = lftm_test::random_vector(n, 4, -0.1f, 0.1f);
    std::vector<float> b = rhs, x = start;
    int iterations =
        cg_solve(level(w, h, 40, 1e-9f, wraps), CgPaths{}, nullptr, b.data(), x.data());
    for (int threads : {2, 3, 7}) {
      std::vector<float> bt = rhs, xt = start;
      EXPECT_EQ(cg_solve(level(w, h, 40, 1e-9f, wraps, threads), CgPaths{}, nullptr, bt.data(),
                         xt.data()),
                iterations);
      EXPECT_TRUE(same_bits(xt, x)) << wraps << " threads=" << threads;
    }

    DiskFiles files;
    files.store_rhs(rhs, 17);
    for (bool finest : {true, false}) {
      std::vector<float> area(2 * n, 0.0f), unused(n);
      std::copy(start.begin(), start.end(), area.begin());
      EXPECT_EQ(cg_solve(streamed(level(w, h, 40, 1e-9f, wraps), finest, 17), files.paths(),
                         nullptr, unused.data(), area.data()),
                iterations);
      area.resize(n);
      EXPECT_TRUE(same_bits(area, x)) << wraps << " finest=" << finest;
    }
  }
}

// A level larger than one band of the streamed form (bands end mid-row and mid-strip): the
// in-memory bits whether r and p live in files or in memory, on one worker or several.
TEST(CgSolveTest, StreamedBandsGiveTheInMemoryBitsWhateverTheBudgetKeeps) {
  lftm_test::DiagCapture quiet;
  const int w = 2053, h = 1100;
  const int64_t n = static_cast<int64_t>(w) * h;
  ASSERT_GT(n, band_length(w));
  for (bool wraps : {false, true}) {
    const std::vector<float> rhs = apply(w, h, wraps, lftm_test::smooth_field(w, h));
    const std::vector<float> start = lftm_test::random_vector(static_cast<int>(n), 5, -0.1f, 0.1f);
    std::vector<float> b = rhs, x = start;
    const int iterations =
        cg_solve(level(w, h, 3, 1e-9f, wraps, 2), CgPaths{}, nullptr, b.data(), x.data());
    DiskFiles files;
    files.store_rhs(rhs, 3);
    for (int64_t vectors : {0, 1, 2}) {
      for (int threads : {0, 3}) {
        SolveOptions options = streamed(level(w, h, 3, 1e-9f, wraps, threads), true, 3);
        options.solverHeadroom = vectors * 4 * n;
        std::vector<float> xs = start, unused(1);
        EXPECT_EQ(cg_solve(options, files.paths(), nullptr, unused.data(), xs.data()),
                  iterations);
        EXPECT_TRUE(same_bits(xs, x)) << wraps << " vectors=" << vectors
                                      << " threads=" << threads;
      }
    }
  }
}

TEST(CgSolveTest, FinestLevelSplitsAnOddLevelIntoAFloorHalfAndTheRest) {
  lftm_test::DiagCapture capture;
  const int w = 5, h = 3, n = w * h;
  DiskFiles files;
  files.store_rhs(apply(w, h, false, lftm_test::smooth_field(w, h)), 0);
  std::vector<float> area(2 * n, 0.0f), unused(n);
  ASSERT_GE(
      cg_solve(streamed(level(w, h, 3, 1e-6f), true, 0), files.paths(), nullptr, unused.data(),
               area.data()),
      0);
  // The first strip prints positions 0..6 (7 = floor(15 / 2) elements), the second 0..7.
  const std::string& out = capture.out();
  EXPECT_NE(out.find("     6\ntemp:"), std::string::npos);
  EXPECT_NE(out.find("     7\nInit restePrev"), std::string::npos);
  EXPECT_NE(out.find("tm20  strip: 1    dval:"), std::string::npos);
}

TEST(CgSolveTest, DiskFailuresReturnMinus20WithTheirMessage) {
  lftm_test::DiagCapture capture;
  const int w = 6, h = 5, n = w * h;
  DiskFiles files;
  std::vector<float> area(2 * n, 0.0f), unused(n);
  CgPaths bad = files.paths();
  const std::string missing = files.dir.file("no/such/dir");
  bad.r = missing.c_str();
  const SolveOptions secondLevel = streamed(level(w, h, 5, 1e-6f), false, 0);
  EXPECT_EQ(cg_solve(secondLevel, bad, nullptr, unused.data(), area.data()), -20);
  EXPECT_NE(capture.out().find("can not open temporary file R in tm20 " + missing + "\n"),
            std::string::npos);
  // A pyramid file too short for the level: a short read.
  files.store_rhs(std::vector<float>(n - 1, 1.0f), 0);
  EXPECT_EQ(cg_solve(secondLevel, files.paths(), nullptr, unused.data(), area.data()), -20);
  EXPECT_NE(capture.out().find("can not read temporary file - returned 3 instead of 4 in tm20\n"),
            std::string::npos);
}

// A right-hand side that is not all numbers (stage 1 with NaN or infinite settings) never
// meets the tolerance: the solve stops at once instead of running to a limit as high as the
// largest int, which is what a slider of +inf gives.
TEST(CgSolveTest, ResidualThatIsNotANumberEndsTheSolve) {
  lftm_test::DiagCapture capture;
  const int w = 20, h = 15, n = w * h;
  const int unbounded = 2147483647;
  for (float bad : {std::nanf(""), INFINITY, -INFINITY, 3e37f, 1e18f}) {
    SCOPED_TRACE(bad);
    std::vector<float> b = apply(w, h, false, lftm_test::smooth_field(w, h)), x(n, 0.0f);
    b[n / 2] = bad;
    const std::vector<float> rhs = b;
    EXPECT_EQ(cg_solve(level(w, h, unbounded, 1e-9f, false, 2), CgPaths{}, nullptr, b.data(),
                       x.data()),
              kResidualNotANumber);
    DiskFiles files;
    files.store_rhs(rhs, 7);
    std::vector<float> area(2 * static_cast<size_t>(n), 0.0f), unused(n);
    EXPECT_EQ(cg_solve(streamed(level(w, h, unbounded, 1e-9f), true, 7), files.paths(), nullptr,
                       unused.data(), area.data()),
              kResidualNotANumber);
  }
}

// Positions past 2^31 bytes, which is what disk mode is for.
TEST(ScratchIoTest, OffsetsPastTwoGigabytesAreReachable) {
  lftm_test::TempDir dir;
  const std::string path = dir.file("big");
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  const int64_t position = (int64_t{1} << 31) / 4 * 3 + 5;  // byte offset ~6.4e9
  std::vector<float> data = {1.5f, -2.0f, 3.25f, 4.0f, 5.5f};
  ASSERT_EQ(scratch_write_at(fd, position, 5, data.data(), 2), 4);
  std::vector<float> back(5, 0.0f);
  ASSERT_EQ(scratch_read_at(fd, position, 5, back.data(), 2), 4);
  close(fd);
  EXPECT_EQ(back, data);
  std::FILE* check = std::fopen(path.c_str(), "rb");
  ASSERT_EQ(fseeko(check, 0, SEEK_END), 0);
  EXPECT_EQ(static_cast<int64_t>(ftello(check)), 4 * (position + 5));
  std::fclose(check);
}

}  // namespace
}  // namespace lftm
