// SPDX-License-Identifier: BSD-3-Clause
// The array logf, powf and pow against the library's scalar calls on one core, and the whole
// Texture Booster (stages 1 to 3) on a 24-megapixel image with and without the vectors.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

#include "bench_images.h"
#include "lftm.h"
#include "platform/diag.h"
#include "vecmath/vecmath.h"

namespace {

constexpr size_t kValues = 1 << 16;

void discard(lftm::DiagStream, const char*, void*) {}

// The machine is shared: the least time of the repetitions is the one to compare.
double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// Positive floats spread over 2^-12 .. 2^12, as luminances and ratios are.
std::vector<float> spread_floats() {
  std::vector<float> v(kValues);
  uint32_t state = 7;
  for (float& x : v) {
    state = state * 1664525u + 1013904223u;
    const uint32_t bits = 0x39800000u + state % 0x0c000000u;
    std::memcpy(&x, &bits, sizeof x);
  }
  return v;
}

// Arg: 1 array function (vectors where the processor has them), 0 the library's calls.
template <typename Run>
void run_values(benchmark::State& state, Run run) {
  lftm::vecmath_force_library_calls(state.range(0) == 0);
  for (auto _ : state) run();
  lftm::vecmath_force_library_calls(false);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kValues));
}

void BM_Logf(benchmark::State& state) {
  const std::vector<float> x = spread_floats();
  std::vector<float> out(kValues);
  run_values(state, [&] {
    lftm::logf_array(x.data(), out.data(), kValues);
    benchmark::DoNotOptimize(out.data());
  });
}

void BM_Powf(benchmark::State& state) {
  const std::vector<float> x = spread_floats();
  std::vector<float> out(kValues);
  run_values(state, [&] {
    lftm::powf_array(x.data(), 0.4545f, out.data(), kValues);
    benchmark::DoNotOptimize(out.data());
  });
}

void BM_PowfPairs(benchmark::State& state) {
  const std::vector<float> x = spread_floats();
  std::vector<float> y(kValues), out(kValues);
  for (size_t i = 0; i < kValues; ++i) y[i] = 0.1f + static_cast<float>(i % 97) / 50;
  run_values(state, [&] {
    lftm::powf_pairs(x.data(), y.data(), out.data(), kValues);
    benchmark::DoNotOptimize(out.data());
  });
}

void BM_Pow(benchmark::State& state) {
  const std::vector<float> f = spread_floats();
  const std::vector<double> x(f.begin(), f.end());
  std::vector<double> out(kValues);
  run_values(state, [&] {
    lftm::pow_array(x.data(), -0.07, out.data(), kValues);
    benchmark::DoNotOptimize(out.data());
  });
}

BENCHMARK(BM_Logf)->ArgName("vectors")->Arg(0)->Arg(1);
BENCHMARK(BM_Powf)->ArgName("vectors")->Arg(0)->Arg(1);
BENCHMARK(BM_PowfPairs)->ArgName("vectors")->Arg(0)->Arg(1);
BENCHMARK(BM_Pow)->ArgName("vectors")->Arg(0)->Arg(1);

// Processor time of the whole process (all workers), in seconds: on a shared machine it
// varies far less than elapsed time.
double process_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Args: worker threads, vectors (1) or the library's calls (0). Counters: processor seconds
// of each stage and of the three together, in the fastest repetition by the "min" line.
void BM_BoosterRun(benchmark::State& state) {
  constexpr int kWidth = 6000;
  constexpr int kHeight = 4000;
  constexpr size_t kPixels = size_t{kWidth} * kHeight;
  const std::vector<uint8_t> image = lftm_bench::tiled_sample(kWidth, kHeight);
  const std::vector<float> table = lftm_bench::exp_table();
  TmParam param{};
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &param);
  ImageDesc desc{kWidth, kHeight, 3, 8, 8, 3 * kWidth, 3 * kWidth, 0, 0};
  PyramidDims dims{};
  if (tm_dim(kWidth, kHeight, &param, &dims) <= 0) {
    state.SkipWithError("tm_dim failed");
    return;
  }
  const size_t floats = static_cast<size_t>(std::max(dims.total, dims.total2));
  std::vector<uint8_t> input(std::max(image.size(), 4 * floats));
  std::vector<float> work(std::max(floats, (3 * kPixels + 3) / 4));
  std::vector<float> lum(kPixels);
  TmFiles files{};
  files.threads = static_cast<int>(state.range(0));
  lftm::vecmath_force_library_calls(state.range(1) == 0);
  lftm::set_diag_sink(discard, nullptr);
  double stage[3] = {0, 0, 0};
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(image.begin(), image.end(), input.begin());
    state.ResumeTiming();
    HdrFileInfo info{};
    info.infos[0] = kWidth;
    info.infos[1] = kHeight;
    LumStats stats{};
    double start = process_seconds();
    bool ok = calc_tm1(LFTM_DOC_RGBE, &desc, &param, &dims, &stats, table.data(), nullptr, &info,
                       &files, nullptr, input.data(), work.data()) >= 0;
    stage[0] = process_seconds() - start;
    start = process_seconds();
    ok = ok && calc_tm2(desc, dims.coarseW, dims.coarseH, dims.total, dims.rang, &param, files,
                        nullptr, nullptr, work.data()) >= 0;
    stage[1] = process_seconds() - start;
    state.PauseTiming();
    std::copy(work.begin(), work.begin() + static_cast<ptrdiff_t>(kPixels), lum.begin());
    std::copy(image.begin(), image.end(), input.begin());
    state.ResumeTiming();
    start = process_seconds();
    ok = ok && calc_tm3(LFTM_DOC_RGBE, &desc, &param, &stats, table.data(), nullptr, &files,
                        input.data(), lum.data(), work.data()) > 0;
    stage[2] = process_seconds() - start;
    if (!ok) state.SkipWithError("a stage failed");
    benchmark::DoNotOptimize(work.data());
  }
  lftm::set_diag_sink(nullptr, nullptr);
  lftm::vecmath_force_library_calls(false);
  state.counters["tm1_cpu_s"] = stage[0];
  state.counters["tm2_cpu_s"] = stage[1];
  state.counters["tm3_cpu_s"] = stage[2];
  state.counters["all_cpu_s"] = stage[0] + stage[1] + stage[2];
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kPixels));
}
BENCHMARK(BM_BoosterRun)
    ->ArgNames({"threads", "vectors"})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Iterations(1)
    ->Repetitions(3)
    ->ComputeStatistics("min", least)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
