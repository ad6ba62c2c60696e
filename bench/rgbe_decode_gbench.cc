// SPDX-License-Identifier: BSD-3-Clause
// Decoding of Radiance pixel data (flat and run-length) on a 24-megapixel image, by worker
// count.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench_images.h"
#include "imageio/rgbe_decode.h"

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// The image as a file stores it: interleaved r, g, b, e pixels (flat), or per row a header
// and each component as runs of equal bytes and literals of up to 128 bytes (run-length).
std::vector<uint8_t> encoded(bool runLength) {
  const std::vector<uint8_t> planar = lftm_bench::tiled_sample(kWidth, kHeight);
  std::vector<uint8_t> data;
  for (int y = 0; y < kHeight; ++y) {
    const uint8_t* row = planar.data() + static_cast<size_t>(4) * kWidth * y;
    if (!runLength) {
      for (int x = 0; x < kWidth; ++x) {
        for (int c = 0; c < 4; ++c) data.push_back(row[c * kWidth + x]);
      }
      continue;
    }
    data.insert(data.end(), {2, 2, kWidth >> 8, kWidth & 255});
    for (int c = 0; c < 4; ++c) {
      const uint8_t* in = row + static_cast<size_t>(c) * kWidth;
      int x = 0;
      while (x < kWidth) {
        int run = 1;
        while (x + run < kWidth && run < 127 && in[x + run] == in[x]) ++run;
        if (run >= 4) {
          data.insert(data.end(), {static_cast<uint8_t>(128 + run), in[x]});
          x += run;
          continue;
        }
        int count = 1;
        while (x + count < kWidth && count < 128 && in[x + count] != in[x + count - 1]) ++count;
        data.push_back(static_cast<uint8_t>(count));
        data.insert(data.end(), in + x, in + x + count);
        x += count;
      }
    }
  }
  return data;
}

// Args: worker threads, run-length (1) or flat (0) data.
void BM_RgbeDecode(benchmark::State& state) {
  const int threads = static_cast<int>(state.range(0));
  const std::vector<uint8_t> data = encoded(state.range(1) != 0);
  std::vector<uint8_t> dst(static_cast<size_t>(4) * kWidth * kHeight);
  for (auto _ : state) {
    const int rows = lftm::decode_rgbe_pixels_banded(data.data(), data.size(), kWidth, kHeight,
                                                     dst.data(), threads);
    if (rows != kHeight) state.SkipWithError("decoding failed");
    benchmark::DoNotOptimize(dst.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kWidth) * kHeight);
}

// Wall time: the work runs on the workers, not on the thread that Google Benchmark times.
BENCHMARK(BM_RgbeDecode)
    ->ArgsProduct({{1, 2, 4}, {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
