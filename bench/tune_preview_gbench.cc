// The tuner's answer to a changed setting: the preview render (at most 1200 x 1200 pixels,
// whatever the photograph's size) as the page waits for it. The CPU column is the time of all
// threads: on a busy machine it tells what the render costs two free cores.
#include <benchmark/benchmark.h>

#include <memory>

#include "photo.h"
#include "tune_session.h"

namespace {

// A bundled sample, decoded and reduced as the tuner does it.
std::unique_ptr<lftm_tune::Photo> sample_photo() {
  auto photo = std::make_unique<lftm_tune::Photo>();
  if (lftm_tune::load_photo(LFTM_SAMPLES_DIR "/golden_gate.hdr", lftm_cli::TiffEncoding::kAuto,
                            lftm_tune::kPreviewSide, photo.get()) < 0) {
    return nullptr;
  }
  return photo;
}

void BM_TunePreview(benchmark::State& state) {
  auto photo = sample_photo();
  if (!photo) {
    state.SkipWithError("the sample cannot be read");
    return;
  }
  const int32_t method = static_cast<int32_t>(state.range(0));
  lftm_tune::SessionSetup setup;
  setup.threads = 2;
  lftm_tune::TuneSession session(setup, std::move(photo));
  TmParam params;
  tmparam_default(method, 0, &params);
  float strength = 10;
  for (auto _ : state) {
    // A new value each time, as while dragging: nothing comes from the cache.
    params.tmParam[1] = strength;
    strength = strength >= 90 ? 10 : strength + 1;
    const uint64_t generation = session.set_settings(method, params);
    std::shared_ptr<const lftm_tune::Render> render;
    int32_t result = 0;
    if (!session.preview(generation, &render, &result) || result < 0) {
      state.SkipWithError("the preview failed");
      return;
    }
    benchmark::DoNotOptimize(render->picture.samples.data());
  }
  const lftm_tune::Photo& p = *session.photo();
  state.SetItemsProcessed(state.iterations() * p.previewWidth * p.previewHeight);
  state.counters["preview_pixels"] = p.previewWidth * p.previewHeight;
}
BENCHMARK(BM_TunePreview)
    ->Arg(LFTM_METHOD_TEXTURE_BOOSTER)
    ->Arg(LFTM_METHOD_RANGE_SQUEEZER)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
