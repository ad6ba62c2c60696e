// SPDX-License-Identifier: BSD-3-Clause
// The host interface on a 24-megapixel image: how many progress reports a Texture Booster
// run makes, and how soon a cancel request ends the call at different moments of the run.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "bench_images.h"
#include "lftm_host.h"

namespace {

using Clock = std::chrono::steady_clock;

// The tiled sample as the float RGB pixels a host hands in (decoded RGBE).
const std::vector<float>& host_pixels(int width, int height) {
  static std::vector<float> rgb;
  if (!rgb.empty()) return rgb;
  const std::vector<uint8_t> rgbe = lftm_bench::tiled_sample(width, height);
  const std::vector<float> table = lftm_bench::exp_table();
  rgb.resize(3 * static_cast<size_t>(width) * height);
  const size_t w = static_cast<size_t>(width);
  for (size_t y = 0; y < static_cast<size_t>(height); ++y) {
    const uint8_t* row = &rgbe[4 * w * y];
    for (size_t x = 0; x < w; ++x) {
      for (size_t k = 0; k < 3; ++k) {
        rgb[3 * (w * y + x) + k] = row[k * w + x] * table[row[3 * w + x]];
      }
    }
  }
  return rgb;
}

struct Watch {
  std::atomic<float> fraction{0.0f};
  std::atomic<int> calls{0};
};

int32_t watch_progress(void* user, float fraction, const char*) {
  auto* watch = static_cast<Watch*>(user);
  watch->fraction.store(fraction);
  watch->calls.fetch_add(1);
  return 0;
}

// Args: disk mode; the progress fraction (per mille) at which another thread sets the cancel
// flag, 1000 for a whole run; milliseconds it waits after that.
void BM_HostBoosterCancel(benchmark::State& state) {
  const int width = 6000, height = 4000;
  const std::vector<float>& rgb = host_pixels(width, height);
  std::vector<uint8_t> out(3 * static_cast<size_t>(width) * height);
  lftm_image input, output;
  lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 3, width, height,
                  const_cast<float*>(rgb.data()));
  lftm_image_init(&output, sizeof output, LFTM_SAMPLE_UINT8, 3, width, height, out.data());
  lftm_options options;
  lftm_options_init(&options, sizeof options, LFTM_METHOD_TEXTURE_BOOSTER);
  options.disk = static_cast<int32_t>(state.range(0));
  const float at = static_cast<float>(state.range(1)) / 1000.0f;
  const auto delay = std::chrono::milliseconds(state.range(2));
  double latency = 0, calls = 0;
  int32_t result = 0;
  for (auto _ : state) {
    Watch watch;
    int32_t flag = 0;
    options.progress = watch_progress;
    options.progress_user = &watch;
    options.cancel = &flag;
    Clock::time_point setAt{};
    std::atomic<bool> done{false};
    std::thread host([&] {
      if (at >= 1.0f) return;
      while (!done.load() && watch.fraction.load() < at) std::this_thread::yield();
      std::this_thread::sleep_for(delay);
      setAt = Clock::now();
      __atomic_store_n(&flag, 1, __ATOMIC_RELAXED);
    });
    result = lftm_tonemap_image(&input, &output, &options);
    const Clock::time_point returned = Clock::now();
    done.store(true);
    host.join();
    if (at < 1.0f && setAt != Clock::time_point{}) {
      latency = std::chrono::duration<double, std::milli>(returned - setAt).count();
    }
    calls = watch.calls.load();
  }
  state.counters["result"] = result;
  state.counters["progress_calls"] = calls;
  state.counters["cancel_latency_ms"] = latency;
}
BENCHMARK(BM_HostBoosterCancel)
    ->ArgsProduct({{0, 1}, {1000}, {0}})
    ->Args({0, 100, 0})    // stage 1
    ->Args({0, 400, 300})  // inside the solver
    ->Args({0, 854, 300})  // stage 3
    ->Args({1, 400, 300})
    ->Args({1, 854, 300})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
