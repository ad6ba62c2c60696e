// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/streamed_solver.h"

#include <algorithm>
#include <initializer_list>

#include "booster/poisson/scratch_io.h"
#include "booster/poisson/vector_kernels.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

// The printed texts keep the solver's old names: tm20 and tm20_streaming.
void print_operator_samples(const std::vector<OperatorSample>& samples) {
  for (const OperatorSample& s : samples) {
    diag_out("tm20_streaming  %d, %d   in:  %1.4f   %1.4f %1.4f %1.4f %1.4f     out: %1.4f\n",
             s.c, s.i, s.cur, s.up, s.left, s.right, s.down, s.out);
  }
}

}  // namespace

int StreamedSolver::open(const CgPaths& paths, float* x) {
  x_ = x;
  // The headroom goes to p first, then r: both move three times per iteration.
  int64_t headroom = headroom_;
  const int64_t bytes = n_ * static_cast<int64_t>(sizeof(float));
  int kept = 0;
  for (SolverVector* v : {&p_, &r_}) {
    if (headroom >= bytes && v->keep_in_memory(n_)) {
      headroom -= bytes;
      ++kept;
    }
  }
  diag_out("tm20  vectors kept in memory: %d of 2\n", kept);
  if (!r_.in_memory() && !r_.keep_in_file(paths.r, threads_)) {
    diag_out("can not open temporary file R in tm20 %s\n", paths.r != nullptr ? paths.r : "(null)");
    return LFTM_ERR_SOLVER_SCRATCH;
  }
  if (!p_.in_memory() && !p_.keep_in_file(paths.p, threads_)) {
    diag_out("can not open temporary file P in tm20 %s\n", paths.p != nullptr ? paths.p : "(null)");
    return LFTM_ERR_SOLVER_SCRATCH;
  }
  const size_t window = static_cast<size_t>(band_ + 4 * static_cast<int64_t>(w_));
  // r's band buffer serves only an r that lives in its file.
  if (!window_.allocate(window) || !newWindow_.allocate(window) ||
      (!r_.in_memory() && !rBand_.allocate(window)) ||
      !q_.allocate(static_cast<size_t>(band_)) ||
      !table_.allocate(static_cast<size_t>(band_ / kSumBlock))) {
    return LFTM_ERR_NO_MEMORY;
  }
  return 0;
}

void StreamedSolver::collect_samples(const RowWindow& v, const Band& band, const float* q) {
  const int halfRows = h_ >> 1;
  if (!printing_ || w_ <= 1000 || halfRows == 0) return;
  const int first = static_cast<int>(band.begin / w_);
  const int last = static_cast<int>((band.end - 1) / w_);
  for (int i = std::max(first, 1); i <= last && i < h_ - 1; ++i) {
    if (i % halfRows != 1) continue;
    const float* cur = v.row(i);
    for (int c = 1; c < w_ - 1; c += w_ >> 1) {
      const int64_t pos = static_cast<int64_t>(i) * w_ + c;
      if (pos < band.begin || pos >= band.end) continue;
      samples_.push_back({c, i, cur[c], v.row(i - 1)[c], cur[c - 1], cur[c + 1],
                          v.row(i + 1)[c], q[pos - band.begin]});
    }
  }
}

// Before each block is added to the running total: where a strip ends inside or at the start
// of that block, the value the strip line prints, the completed blocks plus the products of
// the open block up to the strip's end, summed in order.
std::function<void(int64_t, float)> StreamedSolver::strip_watch(
    const float* q, const float* v, int64_t qBegin, int64_t vBegin,
    std::vector<float>* values) const {
  if (!printing_ || strips_ < 2) return nullptr;
  const int64_t stripEnd = n_ / strips_;
  return [=](int64_t blockStart, float completed) {
    if (stripEnd < blockStart || stripEnd >= blockStart + kSumBlock) return;
    float open = 0.0f;
    for (int64_t i = blockStart; i < stripEnd; ++i) open += q[i - qBegin] * v[i - vBegin];
    values->push_back(stripEnd > blockStart ? completed + open : completed);
  };
}

void StreamedSolver::print_strip_lines(const std::vector<float>& stripValues) const {
  for (size_t s = 0; s < stripValues.size(); ++s) {
    diag_out("tm20  strip: %d    dval: %1.2f\n", static_cast<int>(s), stripValues[s]);
  }
}

int StreamedSolver::start(int in, int64_t rhsOffset, float* residual) {
  // Sample positions of the "temp" lines: 16 or 17 per strip, counted within the strip.
  struct RhsSample {
    int64_t pos;
    int64_t index;
    float q = 0.0f, b = 0.0f;
  };
  std::vector<RhsSample> rhsSamples;
  if (printing_) {
    const int64_t length = n_ / strips_;
    for (int s = 0; s < strips_; ++s) {
      const int64_t k = s * length;
      const int64_t m = s == strips_ - 1 ? n_ - k : length;
      const int64_t d = (m >> 4) > 1 ? m >> 4 : 1;
      for (int64_t i = 0; i < m; i += d) rhsSamples.push_back({k + i, i});
    }
  }
  size_t nextSample = 0;
  const RowWindow x{x_, 0, w_};
  float total = 0.0f;
  samples_.clear();
  for (int64_t a = 0; a < n_; a += band_) {
    if (int status = check_band()) return status;
    const Band band = band_at(a, band_, w_, h_, n_);
    const int64_t length = band.end - band.begin;
    float* b = window_.get();
    float* q = q_.get();
    if (scratch_read_at(in, rhsOffset + a, length, b, threads_) < 0) return LFTM_ERR_SOLVER_SCRATCH;
    float* r = r_.in_memory() ? r_.data() + a : rBand_.get();
    reduce_band(
        threads_, a, band.end, table_.get(),
        [&](int64_t begin, int64_t end, BlockSums* sums) {
          operator_span(x, h_, wrapsAround_, begin, end, q + (begin - a));
          float* __restrict out = r + (begin - a);
          const float* __restrict rhs = b + (begin - a);
          const float* __restrict aq = q + (begin - a);
          for (int64_t i = 0; i < end - begin; ++i) out[i] = rhs[i] + -1.0f * aq[i];
          BlockDot dot(sums);
          dot.add(out, out, end - begin);
          dot.finish();
        },
        nullptr, &total);
    collect_samples(x, band, q);
    for (; nextSample < rhsSamples.size() && rhsSamples[nextSample].pos < band.end; ++nextSample) {
      rhsSamples[nextSample].q = q[rhsSamples[nextSample].pos - a];
      rhsSamples[nextSample].b = b[rhsSamples[nextSample].pos - a];
    }
    if (r_.store(a, length, r) < 0 || p_.store(a, length, r) < 0) return LFTM_ERR_SOLVER_SCRATCH;
  }
  print_operator_samples(samples_);
  for (const RhsSample& s : rhsSamples) {
    diag_out("temp: %1.4f    B: %1.4f     %d\n", s.q, s.b, static_cast<int>(s.index));
  }
  *residual = total;
  return 0;
}

int StreamedSolver::direction(bool first, float beta, float* dval) {
  float total = 0.0f;
  std::vector<float> stripValues;
  samples_.clear();
  for (int64_t a = 0; a < n_; a += band_) {
    if (int status = check_band()) return status;
    const Band band = band_at(a, band_, w_, h_, n_);
    const int64_t windowBegin = static_cast<int64_t>(band.firstRow) * w_;
    const int64_t windowLength = band.windowEnd - windowBegin;
    // p before this band is already the new direction; from the band on it is the old one.
    const float* oldP = p_.load(windowBegin, windowLength, window_.get());
    if (oldP == nullptr) return LFTM_ERR_SOLVER_SCRATCH;
    const float* newP = oldP;
    if (!first) {
      const float* r = r_.load(a, band.windowEnd - a, rBand_.get());
      if (r == nullptr) return LFTM_ERR_SOLVER_SCRATCH;
      float* made = newWindow_.get();
      std::copy(oldP, oldP + (a - windowBegin), made);
      spread(threads_, a, band.windowEnd, [&](int64_t begin, int64_t end) {
        float* __restrict out = made + (begin - windowBegin);
        const float* __restrict in = oldP + (begin - windowBegin);
        const float* __restrict rr = r + (begin - a);
        for (int64_t i = 0; i < end - begin; ++i) out[i] = rr[i] + beta * in[i];
      });
      newP = made;
    }
    const RowWindow p{newP, band.firstRow, w_};
    float* q = q_.get();
    const float* bandP = newP + (a - windowBegin);
    reduce_band(
        threads_, a, band.end, table_.get(),
        [&](int64_t begin, int64_t end, BlockSums* sums) {
          operator_span(p, h_, wrapsAround_, begin, end, q + (begin - a));
          BlockDot dot(sums);
          dot.add(q + (begin - a), bandP + (begin - a), end - begin);
          dot.finish();
        },
        strip_watch(q, bandP, a, a, &stripValues), &total);
    collect_samples(p, band, q);
    if (!first && p_.store(a, band.end - a, bandP) < 0) return LFTM_ERR_SOLVER_SCRATCH;
  }
  print_operator_samples(samples_);
  if (printing_) stripValues.push_back(total);
  print_strip_lines(stripValues);
  *dval = total;
  return 0;
}

int StreamedSolver::update(float alpha, float* residual) {
  float total = 0.0f;
  for (int64_t a = 0; a < n_; a += band_) {
    if (int status = check_band()) return status;
    const Band band = band_at(a, band_, w_, h_, n_);
    const int64_t windowBegin = static_cast<int64_t>(band.firstRow) * w_;
    const float* pw = p_.load(windowBegin, band.windowEnd - windowBegin, window_.get());
    float* r = r_.load_for_update(a, band.end - a, rBand_.get());
    if (pw == nullptr || r == nullptr) return LFTM_ERR_SOLVER_SCRATCH;
    const RowWindow p{pw, band.firstRow, w_};
    reduce_band(
        threads_, a, band.end, table_.get(),
        [&](int64_t begin, int64_t end, BlockSums* sums) {
          BlockDot dot(sums);
          float q[256];
          for (int64_t at = begin; at < end; at += 256) {
            const int64_t stop = std::min(end, at + 256);
            operator_span(p, h_, wrapsAround_, at, stop, q);
            update_span_dot(alpha, pw + (at - windowBegin), q, x_ + at, r + (at - a), stop - at,
                            &dot);
          }
          dot.finish();
        },
        nullptr, &total);
    if (r_.store(a, band.end - a, r) < 0) return LFTM_ERR_SOLVER_SCRATCH;
  }
  *residual = total;
  return 0;
}

int64_t band_length(int w) {
  const int64_t wanted = std::max<int64_t>(int64_t{1} << 21, 4 * static_cast<int64_t>(w));
  return (wanted + kSumBlock - 1) / kSumBlock * kSumBlock;
}

int64_t streamed_solver_bytes(int w) {
  const int64_t window = band_length(w) + 4 * static_cast<int64_t>(w);
  const int64_t band = band_length(w);
  return static_cast<int64_t>(sizeof(float)) * (3 * window + band + band / kSumBlock);
}

}  // namespace lftm
