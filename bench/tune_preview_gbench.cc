// SPDX-License-Identifier: BSD-3-Clause
// The tuner's answer to a changed setting, as the page waits for it: the fine preview (at most
// 1200 x 1200 pixels, whatever the photograph's size) once the hand rests, and the coarse one
// (at most 400 x 400) that follows each move of a slider. Measured on the bundled sample and
// on a 24-megapixel photograph (6000 x 4000, the sample tiled). The CPU column is the time of
// all threads: on a busy machine it tells what the render costs two free cores.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench_images.h"
#include "photo.h"
#include "tune_session.h"

namespace {

// A Radiance file of flat RGBE pixels of the tiled sample, in the temporary folder; removed
// once read.
std::string write_tiled_hdr(int width, int height) {
  const std::vector<uint8_t> planar = lftm_bench::tiled_sample(width, height);
  std::string path = "/tmp/lftm-tune-bench-XXXXXX";
  const int fd = mkstemp(&path[0]);
  FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (file == nullptr) return "";
  std::fprintf(file, "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y %d +X %d\n", height, width);
  const size_t w = static_cast<size_t>(width);
  std::vector<uint8_t> row(4 * w);
  for (int y = 0; y < height; ++y) {
    const uint8_t* planes = &planar[4 * w * y];
    for (size_t x = 0; x < w; ++x) {
      for (size_t c = 0; c < 4; ++c) row[4 * x + c] = planes[c * w + x];
    }
    std::fwrite(row.data(), 1, row.size(), file);
  }
  std::fclose(file);
  return path;
}

// The 24-megapixel file, written once per process and removed at its end.
struct LargeFile {
  std::string path = write_tiled_hdr(6000, 4000);
  ~LargeFile() {
    if (!path.empty()) unlink(path.c_str());
  }
};

// A photograph decoded and reduced as the tuner does it: the bundled sample (0) or the
// 24-megapixel one (1).
std::unique_ptr<lftm_tune::Photo> load(int which) {
  static const LargeFile large;
  const std::string path = which == 0 ? LFTM_SAMPLES_DIR "/golden_gate.hdr" : large.path;
  auto photo = std::make_unique<lftm_tune::Photo>();
  if (lftm_tune::load_photo(path, lftm_cli::TiffEncoding::kAuto, lftm_tune::kPreviewSide,
                            photo.get()) < 0) {
    return nullptr;
  }
  return photo;
}

// Arguments: the method, the photograph (0 sample, 1 24 MP) and the preview (0 fine,
// 1 coarse).
void BM_TunePreview(benchmark::State& state) {
  auto photo = load(static_cast<int>(state.range(1)));
  if (!photo) {
    state.SkipWithError("the photograph cannot be read");
    return;
  }
  const int32_t method = static_cast<int32_t>(state.range(0));
  const bool coarse = state.range(2) != 0;
  lftm_tune::SessionSetup setup;
  setup.threads = 2;
  lftm_tune::TuneSession session(setup, std::move(photo));
  TmParam params;
  tmparam_default(method, 0, &params);
  float strength = 10;
  int64_t pixels = 0;
  for (auto _ : state) {
    // A new value each time, as while dragging: nothing comes from the cache.
    params.tmParam[1] = strength;
    strength = strength >= 90 ? 10 : strength + 1;
    const uint64_t generation = session.set_settings(method, params);
    std::shared_ptr<const lftm_tune::Render> render;
    int32_t result = 0;
    if (!session.preview(generation, &render, &result, coarse) || result < 0) {
      state.SkipWithError("the preview failed");
      return;
    }
    pixels = static_cast<int64_t>(render->picture.width) * render->picture.height;
    benchmark::DoNotOptimize(render->picture.samples.data());
  }
  state.SetItemsProcessed(state.iterations() * pixels);
  state.counters["preview_pixels"] = static_cast<double>(pixels);
}
BENCHMARK(BM_TunePreview)
    ->ArgNames({"method", "24MP", "coarse"})
    ->ArgsProduct({{LFTM_METHOD_TEXTURE_BOOSTER, LFTM_METHOD_RANGE_SQUEEZER}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
