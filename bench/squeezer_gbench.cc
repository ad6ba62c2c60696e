// SPDX-License-Identifier: BSD-3-Clause
// Range Squeezer throughput on a 24-megapixel RGBE image, by worker count.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_images.h"
#include "lftm.h"
#include "platform/diag.h"
#include "settings/settings_table.h"

namespace {

void discard(lftm::DiagStream, const char*, void*) {}

// Args: worker threads, output bits, colour options on (white balance and saturation).
void BM_TmSimple(benchmark::State& state) {
  const int width = 6000;
  const int height = 4000;
  const int threads = static_cast<int>(state.range(0));
  const int bits = static_cast<int>(state.range(1));
  const bool colour = state.range(2) != 0;

  std::vector<uint8_t> input = lftm_bench::tiled_sample(width, height);
  std::vector<float> table = lftm_bench::exp_table();
  LogStats stats{};
  logMinMaxMoy(0, width, height, table.data(), input.data(), &stats);

  ImageDesc desc{};
  init_dim_param(&desc);
  desc.width = width;
  desc.height = height;
  desc.bits = bits;
  desc.rowSamples = width * 3;
  desc.rowStride = width * 3;
  TmParam param{};
  tmparam_default(LFTM_METHOD_RANGE_SQUEEZER, 0, &param);
  if (colour) {
    param.tmParam[lftm::kSqueezerColorTemperature] = -2;  // white balance towards 6900 K
    param.tmParam[lftm::kSqueezerSaturation] = 3;            // saturation x 1.3
  }
  std::vector<uint8_t> output(static_cast<size_t>(width) * height * 3 * (bits / 8));

  lftm::set_diag_sink(discard, nullptr);
  for (auto _ : state) {
    int rows = tm_simple(0, &desc, &param, &stats, table.data(), &threads, input.data(),
                         output.data());
    if (rows <= 0) state.SkipWithError("tm_simple failed");
    benchmark::DoNotOptimize(output.data());
  }
  lftm::set_diag_sink(nullptr, nullptr);

  const int64_t pixels = static_cast<int64_t>(width) * height;
  state.SetItemsProcessed(state.iterations() * pixels);
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(state.iterations()) *
                                                  pixels / 1e6,
                                              benchmark::Counter::kIsRate);
}

BENCHMARK(BM_TmSimple)
    ->ArgNames({"threads", "bits", "colour"})
    ->Args({1, 8, 0})
    ->Args({2, 8, 0})
    ->Args({2, 16, 0})
    ->Args({2, 8, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
