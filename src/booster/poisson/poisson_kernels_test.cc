// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "booster/poisson/fused_kernels.h"
#include "booster/poisson/poisson_operator.h"
#include "support/diag_capture.h"
#include "support/float_fields.h"
#include "booster/poisson/vector_kernels.h"
#include "platform/workers.h"

namespace lftm {
namespace {

using lftm_test::random_vector;
using lftm_test::same_bits;

std::vector<float> apply(int threads, int w, int h, bool wraps, const std::vector<float>& v) {
  std::vector<float> y(v.size(), -7.0f);
  apply_operator(threads, w, h, wraps, v.data(), y.data());
  return y;
}

struct Size {
  int w;
  int h;
};
const Size kSizes[] = {{1, 1}, {1, 5}, {5, 1}, {2, 2}, {3, 3}, {7, 4}, {4, 9}, {33, 17}, {64, 2},
                       {1003, 3}};

TEST(PoissonOperatorTest, ConstantIsInTheKernelWithAndWithoutWrap) {
  lftm_test::DiagCapture quiet;
  for (const Size& s : kSizes) {
    for (bool wraps : {false, true}) {
      std::vector<float> v(static_cast<size_t>(s.w) * s.h, 2.5f);
      for (float y : apply(1, s.w, s.h, wraps, v)) {
        EXPECT_EQ(y, 0.0f) << s.w << "x" << s.h << " wraps " << wraps;
      }
    }
  }
}

// The centre coefficient is minus the neighbour count, which is what the borders, the
// wrap-around and the pole decide.
TEST(PoissonOperatorTest, CentreCoefficientCountsNeighbours) {
  lftm_test::DiagCapture quiet;
  const int w = 6;
  const int h = 4;
  for (bool wraps : {false, true}) {
    for (int i = 0; i < h; ++i) {
      for (int j = 0; j < w; ++j) {
        std::vector<float> v(w * h, 0.0f);
        if (wraps && i == 0 && j == w / 2) continue;  // the pole is its own neighbour
        v[i * w + j] = 1.0f;
        float centre = apply(1, w, h, wraps, v)[i * w + j];
        int expected = (i > 0) + (i < h - 1) + (wraps ? 2 : (j > 0) + (j < w - 1)) +
                       (wraps && i == 0);
        EXPECT_EQ(centre, -static_cast<float>(expected)) << i << "," << j << " " << wraps;
      }
    }
  }
  // The pole feeds every pixel of the top row, and only those.
  std::vector<float> v(w * h, 0.0f);
  v[w / 2] = 1.0f;
  std::vector<float> y = apply(1, w, h, 1, v);
  for (int j = 0; j < w; ++j) {
    if (j == w / 2 || j == w / 2 - 1 || j == w / 2 + 1) continue;
    EXPECT_EQ(y[j], 1.0f) << j;
  }
  EXPECT_EQ(y[w + 0], 0.0f);
}

// The operator written out pixel by pixel: neighbours added in the order pole, up, left,
// right, down, then the centre subtracted once for each.
std::vector<float> plain_operator(int w, int h, bool wraps, const std::vector<float>& v) {
  std::vector<float> y(v.size());
  for (int i = 0; i < h; ++i) {
    for (int j = 0; j < w; ++j) {
      const float* cur = v.data() + static_cast<size_t>(i) * w;
      float s = 0.0f;
      int count = 0;
      auto take = [&](float n) { s += n; ++count; };
      if (i == 0 && wraps) take(v[w >> 1]);
      if (i > 0) take(cur[j - w]);
      if (j > 0) take(cur[j - 1]); else if (wraps) take(cur[w - 1]);
      if (j < w - 1) take(cur[j + 1]); else if (wraps) take(cur[0]);
      if (i < h - 1) take(cur[j + w]);
      for (int k = 0; k < count; ++k) s -= cur[j];
      y[static_cast<size_t>(i) * w + j] = s;
    }
  }
  return y;
}

// Every form of the operator against the plain one, bit for bit (widths with and without a
// whole number of vectors of columns).
TEST(PoissonOperatorTest, StreamingAndThreadedBandsGiveTheSameBits) {
  lftm_test::DiagCapture quiet;
  for (const Size& s : kSizes) {
    for (bool wraps : {false, true}) {
      std::vector<float> v = random_vector(static_cast<size_t>(s.w) * s.h, 11);
      std::vector<float> single = apply(0, s.w, s.h, wraps, v);
      EXPECT_TRUE(same_bits(single, plain_operator(s.w, s.h, wraps, v))) << s.w << "x" << s.h;
      std::vector<float> streamed = v;
      ASSERT_EQ(apply_operator_in_place(s.w, s.h, wraps, streamed.data()), 0);
      EXPECT_TRUE(same_bits(single, streamed)) << s.w << "x" << s.h;
      for (int threads : {2, 3, 7, 40}) {
        EXPECT_TRUE(same_bits(single, apply(threads, s.w, s.h, wraps, v))) << threads;
      }
    }
  }
}

TEST(PoissonOperatorTest, WorkerThatCannotStartLeavesNoRowUndone) {
  lftm_test::DiagCapture quiet;
  std::vector<float> v = random_vector(50 * 40, 3);
  std::vector<float> single = apply(1, 50, 40, 1, v);
  for (int allowed : {0, 1, 3}) {
    simulate_thread_start_failure(allowed);
    std::vector<float> y = apply(4, 50, 40, 1, v);
    simulate_thread_start_failure(-1);
    EXPECT_TRUE(same_bits(single, y)) << allowed;
  }
}

TEST(PoissonOperatorTest, MiddleBandsCoverRowsOneToHMinusTwoOnce) {
  for (int h : {3, 4, 10, 17, 100}) {
    for (int workers : {2, 3, 5, 32}) {
      std::vector<int> hits(h, 0);
      for (int t = 0; t < workers; ++t) {
        int first = 0;
        int rows = middle_band(t, workers, h, &first);
        for (int r = first; r < first + rows; ++r) hits[r]++;
      }
      for (int r = 0; r < h; ++r) {
        EXPECT_EQ(hits[r], (r == 0 || r == h - 1) ? 0 : 1) << h << " rows " << workers << " bands";
      }
    }
  }
}

TEST(VectorKernelsTest, RunsAreWholeBlocksCoveringEveryPositionOnce) {
  for (int64_t n : {int64_t{0}, int64_t{1}, kSumBlock - 1, kSumBlock, 3 * kSumBlock + 5,
                    int64_t{1001}, 40 * kSumBlock + 17}) {
    for (int workers : {1, 2, 3, 7, 32}) {
      std::vector<int> hits(static_cast<size_t>(n), 0);
      for (int t = 0; t < workers; ++t) {
        VecChunk c = block_run(t, workers, n);
        if (c.begin < c.end) {
          EXPECT_EQ(c.begin % kSumBlock, 0) << n << " " << workers;
        }
        for (int64_t i = c.begin; i < c.end; ++i) hits[static_cast<size_t>(i)]++;
      }
      for (int hit : hits) EXPECT_EQ(hit, 1) << n << " " << workers;
    }
  }
}

TEST(VectorKernelsTest, AxpyUpdatesEveryElementOnceInPlaceAndThreaded) {
  const int n = 1001;
  std::vector<float> a = random_vector(n, 5), b = random_vector(n, 6);
  std::vector<float> expected(n);
  vec_axpy(1, n, a.data(), 0.37f, b.data(), expected.data());
  for (int threads : {1, 2, 3, 33}) {
    for (int allowed : {-1, 0, 1}) {
      simulate_thread_start_failure(allowed);
      std::vector<float> into_a = a, into_b = b;
      vec_axpy(threads, n, into_a.data(), 0.37f, b.data(), into_a.data());
      vec_axpy(threads, n, a.data(), 0.37f, into_b.data(), into_b.data());
      simulate_thread_start_failure(-1);
      EXPECT_TRUE(same_bits(into_a, expected)) << threads << " " << allowed;
      EXPECT_TRUE(same_bits(into_b, expected)) << threads << " " << allowed;
    }
  }
}

// The fused passes of an iteration against the plain sequence of kernels, and every dot
// product against the plain block-ordered sum, whatever the worker count (sizes of one to
// several blocks, blocks ending inside rows).
TEST(VectorKernelsTest, FusedPassesEqualThePlainSequenceBitForBit) {
  lftm_test::DiagCapture quiet;
  using lftm_test::reference_dot;
  for (const Size& s : {Size{1, 1}, Size{5, 3}, Size{1, 40}, Size{37, 23}, Size{1100, 5},
                        Size{301, 97}}) {
    const int n = s.w * s.h;
    for (int threads : {0, 2, 3, 5, 32}) {
      for (bool wraps : {false, true}) {
        std::vector<float> p = random_vector(n, 21), q_plain(n);
        apply_operator(threads, s.w, s.h, wraps, p.data(), q_plain.data());
        float plain = vec_dot(threads, n, q_plain.data(), p.data());
        float fused = apply_dot(threads, s.w, s.h, wraps, p.data());
        EXPECT_TRUE(same_bits(plain, fused)) << s.w << "x" << s.h << " threads=" << threads;
        EXPECT_TRUE(same_bits(plain, reference_dot(q_plain, p))) << s.w << "x" << s.h;

        std::vector<float> x = random_vector(n, 22), r = random_vector(n, 23);
        std::vector<float> x2 = x, r2 = r;
        const float alpha = 0.731f;
        vec_axpy(threads, n, x.data(), alpha, p.data(), x.data());
        vec_axpy(threads, n, r.data(), -alpha, q_plain.data(), r.data());
        float plain_rr = vec_dot(threads, n, r.data(), r.data());
        float fused_rr = update_dot(threads, s.w, s.h, wraps, alpha, p.data(), x2.data(),
                                    r2.data());
        EXPECT_TRUE(same_bits(x, x2));
        EXPECT_TRUE(same_bits(r, r2));
        EXPECT_TRUE(same_bits(plain_rr, fused_rr)) << s.w << "x" << s.h << " threads=" << threads;
        EXPECT_TRUE(same_bits(plain_rr, reference_dot(r, r))) << s.w << "x" << s.h;

        // The next direction made in the operator pass.
        std::vector<float> p2 = p;
        vec_axpy(threads, n, r.data(), 0.6f, p.data(), p.data());
        apply_operator(threads, s.w, s.h, wraps, p.data(), q_plain.data());
        plain = vec_dot(threads, n, q_plain.data(), p.data());
        fused = update_apply_dot(threads, s.w, s.h, wraps, r.data(), 0.6f, p2.data());
        EXPECT_TRUE(same_bits(p, p2));
        EXPECT_TRUE(same_bits(plain, fused)) << s.w << "x" << s.h << " threads=" << threads;
        EXPECT_TRUE(same_bits(plain, reference_dot(q_plain, p))) << s.w << "x" << s.h;
      }
    }
  }
}

TEST(VectorKernelsTest, FusedPassesSurviveWorkersThatCannotStart) {
  lftm_test::DiagCapture quiet;
  using lftm_test::reference_dot;
  const int w = 130, h = 100, n = w * h;  // four blocks
  std::vector<float> p = random_vector(n, 31), q_plain(n);
  apply_operator(0, w, h, 0, p.data(), q_plain.data());
  const float whole = reference_dot(q_plain, p);
  simulate_thread_start_failure(1);
  float fused = apply_dot(3, w, h, 0, p.data());
  simulate_thread_start_failure(-1);
  EXPECT_TRUE(same_bits(fused, whole));

  std::vector<float> x = random_vector(n, 32), r = random_vector(n, 33), x2 = x, r2 = r;
  vec_axpy(0, n, x.data(), 0.5f, p.data(), x.data());
  vec_axpy(0, n, r.data(), -0.5f, q_plain.data(), r.data());
  simulate_thread_start_failure(0);
  float rr = update_dot(4, w, h, 0, 0.5f, p.data(), x2.data(), r2.data());
  simulate_thread_start_failure(-1);
  EXPECT_TRUE(same_bits(x, x2));
  EXPECT_TRUE(same_bits(r, r2));
  EXPECT_TRUE(same_bits(rr, reference_dot(r, r)));

  std::vector<float> direction = p;
  vec_axpy(0, n, r.data(), 0.3f, p.data(), p.data());
  apply_operator(0, w, h, 0, p.data(), q_plain.data());
  simulate_thread_start_failure(1);
  float next = update_apply_dot(3, w, h, 0, r.data(), 0.3f, direction.data());
  simulate_thread_start_failure(-1);
  EXPECT_TRUE(same_bits(direction, p));
  EXPECT_TRUE(same_bits(next, reference_dot(q_plain, p)));
}

}  // namespace
}  // namespace lftm
