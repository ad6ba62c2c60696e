// SPDX-License-Identifier: BSD-3-Clause
// Stage 2: one conjugate-gradient iteration on a 6000 x 4000 level, the whole calc_tm2 on a
// 24-megapixel image, and the memory bandwidth that bounds them (a STREAM-like triad).
//
// An iteration that fuses each dot product into the pass that makes its operands and keeps
// no plane of A p moves 8 floats per pixel: p = r + beta p with (A p).p (read r, p, write p),
// then x += alpha p and r -= alpha A p with r.r, A p made again from p (read x, p, r, write
// x, r). The "x_floor" counter is the iteration's time over the time the triad bandwidth
// needs to move those 8 floats per pixel.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "bench_images.h"
#include "booster/poisson/fused_kernels.h"
#include "booster/poisson/poisson_operator.h"
#include "booster/poisson/vector_kernels.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/workers.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int64_t kPixels = int64_t{kWidth} * kHeight;
constexpr double kFloatsPerIteration = 8.0;

void discard(lftm::DiagStream, const char*, void*) {}

// The machine is shared: the least time of the repetitions is the one to compare.
double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// a = b + s x c over n floats, split into `threads` contiguous tiles.
void triad(int threads, float* a, const float* b, const float* c, int64_t n) {
  lftm::run_tiles(threads, [&](int t) {
    const int64_t step = n / threads;
    const int64_t begin = t * step;
    const int64_t end = t == threads - 1 ? n : begin + step;
    for (int64_t i = begin; i < end; ++i) a[i] = b[i] + 0.5f * c[i];
  });
}

// The best triad bandwidth over a few passes, in bytes per second, measured once.
double triad_bandwidth(int threads) {
  static double measured[3] = {0, 0, 0};
  if (measured[threads] > 0) return measured[threads];
  std::vector<float> a(kPixels, 1.0f), b(kPixels, 2.0f), c(kPixels, 3.0f);
  double best = 1e30;
  for (int pass = 0; pass < 20; ++pass) {
    auto start = std::chrono::steady_clock::now();
    triad(threads, a.data(), b.data(), c.data(), kPixels);
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  benchmark::DoNotOptimize(a.data());
  measured[threads] = 12.0 * kPixels / best;
  return measured[threads];
}

void BM_Triad(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  std::vector<float> a(kPixels, 1.0f), b(kPixels, 2.0f), c(kPixels, 3.0f);
  for (auto _ : state) {
    triad(threads, a.data(), b.data(), c.data(), kPixels);
    benchmark::DoNotOptimize(a.data());
  }
  state.SetBytesProcessed(state.iterations() * 12 * kPixels);
}
BENCHMARK(BM_Triad)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)
    ->UseRealTime()->Repetitions(5)->ComputeStatistics("min", least);

// The vectors of a solve started as cg_solve starts it: b = A x* for a smooth x*, x = 0, r = b,
// p = r.
struct Level {
  std::vector<float> x, p, q, r;
  float previousResidual = 0.0f;
  explicit Level(int threads) : x(kPixels, 0.0f), p(kPixels), q(kPixels), r(kPixels) {
    std::vector<float> truth(kPixels);
    for (int i = 0; i < kHeight; ++i) {
      for (int j = 0; j < kWidth; ++j) {
        truth[static_cast<size_t>(i) * kWidth + j] = 0.001f * ((i * 13 + j * 7) % 97) + 1e-4f * j;
      }
    }
    lftm::apply_operator(threads, kWidth, kHeight, 0, truth.data(), r.data());
    p = r;
    previousResidual = lftm::vec_dot(threads, static_cast<int>(kPixels), r.data(), r.data());
  }
};

template <bool kFused>
void BM_CgIteration(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const int n = static_cast<int>(kPixels);
  lftm::set_diag_sink(discard, nullptr);
  Level level(threads);
  double seconds = 0.0;
  float beta = 0.0f;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    float dval;
    float residual;
    if (kFused) {
      dval = lftm::update_apply_dot(threads, kWidth, kHeight, 0, level.r.data(), beta,
                                    level.p.data());
      const float alpha = level.previousResidual / dval;
      residual = lftm::update_dot(threads, kWidth, kHeight, 0, alpha, level.p.data(),
                                  level.x.data(), level.r.data());
    } else {
      lftm::apply_operator(threads, kWidth, kHeight, 0, level.p.data(), level.q.data());
      dval = lftm::vec_dot(threads, n, level.q.data(), level.p.data());
      const float alpha = level.previousResidual / dval;
      lftm::vec_axpy(threads, n, level.x.data(), alpha, level.p.data(), level.x.data());
      lftm::vec_axpy(threads, n, level.r.data(), -alpha, level.q.data(), level.r.data());
      residual = lftm::vec_dot(threads, n, level.r.data(), level.r.data());
      lftm::vec_axpy(threads, n, level.r.data(), residual / level.previousResidual, level.p.data(),
                     level.p.data());
    }
    beta = residual / level.previousResidual;
    level.previousResidual = residual;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!(residual >= 0.0f)) state.SkipWithError("the iteration lost its residual");
  }
  lftm::set_diag_sink(nullptr, nullptr);
  const double per_iteration = seconds / static_cast<double>(state.iterations());
  // GB/s counts what the variant moves: 8 floats per pixel fused, 14 for the plain kernels.
  const double moved = (kFused ? 8.0 : 14.0) * 4.0 * kPixels;
  const double floor = kFloatsPerIteration * 4.0 * kPixels / triad_bandwidth(threads < 2 ? 1 : 2);
  state.counters["GB/s"] = moved / per_iteration / 1e9;
  state.counters["triad_GB/s"] = triad_bandwidth(threads < 2 ? 1 : 2) / 1e9;
  state.counters["floor_ms"] = floor * 1e3;
  state.counters["x_floor"] = per_iteration / floor;
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK_TEMPLATE(BM_CgIteration, true)
    ->Name("BM_CgIteration")->ArgName("threads")->Arg(1)->Arg(2)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)
    ->ComputeStatistics("min", least);
BENCHMARK_TEMPLATE(BM_CgIteration, false)
    ->Name("BM_CgIterationPlain")->ArgName("threads")->Arg(1)->Arg(2)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)
    ->ComputeStatistics("min", least);

// The whole stage 2 on the right-hand-side pyramid that stage 1 makes of the bundled sample
// tiled to 6000 x 4000 (default settings: conjugate gradients, 50 steps per level).
struct StageOneOutput {
  ImageDesc desc{};
  PyramidDims dims{};
  TmParam param{};
  std::vector<float> pyramid;
  bool ok = false;
};

const StageOneOutput& stage_one_output() {
  static StageOneOutput s = [] {
    StageOneOutput o;
    std::vector<uint8_t> input = lftm_bench::tiled_sample(kWidth, kHeight);
    std::vector<float> table = lftm_bench::exp_table();
    tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &o.param);
    o.desc = ImageDesc{kWidth, kHeight, 3, 8, 8, 3 * kWidth, 3 * kWidth, 0, 0};
    if (tm_dim(kWidth, kHeight, &o.param, &o.dims) <= 0) return o;
    const size_t floats = static_cast<size_t>(std::max(o.dims.total, o.dims.total2));
    input.resize(std::max(input.size(), 4 * floats));
    o.pyramid.assign(floats, 0.0f);
    HdrFileInfo info{};
    info.infos[0] = kWidth;
    info.infos[1] = kHeight;
    TmFiles files{};
    files.threads = 2;
    LumStats stats{};
    lftm::set_diag_sink(discard, nullptr);
    o.ok = calc_tm1(LFTM_DOC_RGBE, &o.desc, &o.param, &o.dims, &stats, table.data(), nullptr,
                    &info, &files, nullptr, input.data(), o.pyramid.data()) >= 0;
    lftm::set_diag_sink(nullptr, nullptr);
    return o;
  }();
  return s;
}

void BM_CalcTm2(benchmark::State& state) {
  const StageOneOutput& in = stage_one_output();
  if (!in.ok) {
    state.SkipWithError("stage 1 failed on the benchmark image");
    return;
  }
  TmFiles files{};
  files.threads = static_cast<int>(state.range(0));
  std::vector<float> out(in.pyramid.size());
  lftm::set_diag_sink(discard, nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(in.pyramid.begin(), in.pyramid.end(), out.begin());
    state.ResumeTiming();
    int result = calc_tm2(in.desc, in.dims.coarseW, in.dims.coarseH, in.dims.total, in.dims.rang,
                          &in.param, files, nullptr, nullptr, out.data());
    if (result != kWidth * kHeight) state.SkipWithError("calc_tm2 failed");
  }
  lftm::set_diag_sink(nullptr, nullptr);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_CalcTm2)->ArgName("threads")->Arg(1)->Arg(2)->Iterations(2)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
