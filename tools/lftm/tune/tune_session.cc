// SPDX-License-Identifier: BSD-3-Clause
#include "tune_session.h"

#include <algorithm>
#include <utility>

#include "lftm_host.h"
#include "options.h"

namespace lftm_tune {
namespace {

void raise_flag(volatile int32_t* flag, int32_t value) {
  __atomic_store_n(flag, value, __ATOMIC_RELAXED);
}

// The Range Squeezer on a 1:1 window of the whole photograph: the response curve is per
// pixel, so the window alone, with the statistics of the whole image, gives the pixels of the
// full result.
int32_t render_squeezer_window(const lftm_photo* whole, int32_t x0, int32_t y0, int32_t size,
                               const TmParam& params, Picture* out) {
  lftm_photo* window = nullptr;
  const int32_t cropped = lftm_photo_crop(whole, x0, y0, size, size, &window);
  if (cropped < 0) return cropped;
  const int32_t result =
      render_photo(window, LFTM_METHOD_RANGE_SQUEEZER, params, RenderRun(), out);
  lftm_photo_close(window);
  return result;
}

}  // namespace

TuneSession::TuneSession(SessionSetup setup, std::unique_ptr<Photo> photo)
    : setup_(std::move(setup)),
      photo_(std::move(photo)),
      folder_(setup_.paths.base, setup_.tiffInput),
      entryCode_(setup_.code) {
  setup_.threads = lftm_cli::resolve_threads(setup_.threads);
  tmparam_default(method_, 0, &params_);
}

TuneSession::~TuneSession() {
  stop_renders();
  export_.cancel();
  if (fullThread_.joinable()) fullThread_.join();
}

void TuneSession::stop_renders() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopping_ = true;
  raise_flag(&previewStop_, 1);
  raise_flag(&fullStop_, 1);
}

std::shared_ptr<const Photo> TuneSession::photo() {
  std::lock_guard<std::mutex> lock(mutex_);
  return photo_;
}

PathRules TuneSession::paths() {
  std::lock_guard<std::mutex> lock(mutex_);
  return setup_.paths;
}

void TuneSession::switch_photo(std::unique_ptr<Photo> photo, const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  photo_ = std::move(photo);
  setup_.paths.input = path;
  before_.reset();
  // The renders of the previous photograph are stale as those of older settings are.
  raise_flag(&previewStop_, 1);
  raise_flag(&fullStop_, 1);
  ++generation_;
}

void TuneSession::settings(int32_t* method, TmParam* params, uint64_t* generation) {
  std::lock_guard<std::mutex> lock(mutex_);
  *method = method_;
  *params = params_;
  *generation = generation_;
}

uint64_t TuneSession::set_settings(int32_t method, const TmParam& params) {
  std::lock_guard<std::mutex> lock(mutex_);
  method_ = method;
  params_ = params;
  // Whatever renders now renders older settings: the newest value is to win soon.
  raise_flag(&previewStop_, 1);
  raise_flag(&fullStop_, 1);
  return ++generation_;
}

bool TuneSession::preview(uint64_t generation, std::shared_ptr<const Render>* render,
                          int32_t* result, bool coarse) {
  std::lock_guard<std::mutex> renderLock(renderMutex_);
  std::shared_ptr<const Render>& last = lastPreview_[coarse ? 1 : 0];
  int32_t method;
  TmParam params;
  std::shared_ptr<const Photo> photo;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (generation != generation_) return false;
    if (last && last->generation == generation) {
      *render = last;
      *result = last->code;
      return true;
    }
    method = method_;
    params = params_;
    photo = photo_;
    raise_flag(&previewStop_, stopping_ ? 1 : 0);
  }
  auto made = std::make_shared<Render>();
  made->generation = generation;
  made->code = render_photo(coarse ? photo->coarse : photo->preview, method, params,
                            render_run(&previewStop_), &made->picture);
  if (made->code >= 0) {
    made->histogram.assign(1024, 0);
    histo4preview(made->picture.width, made->picture.height, made->picture.spp,
                  made->picture.samples.data(), made->histogram.data());
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (made->code == LFTM_ERR_CANCELLED && generation != generation_) return false;
  if (made->code != LFTM_ERR_CANCELLED) last = made;
  *render = made;
  *result = made->code;
  return true;
}

std::shared_ptr<const Picture> TuneSession::before() {
  std::lock_guard<std::mutex> renderLock(renderMutex_);
  std::shared_ptr<const Photo> shown;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (before_) return before_;
    shown = photo_;
  }
  auto made = std::make_shared<Picture>();
  render_exposure(shown->preview, made.get());
  std::lock_guard<std::mutex> lock(mutex_);
  if (shown == photo_) before_ = made;  // not kept for a photograph switched from meanwhile
  return made;
}

bool TuneSession::zoom(int32_t x, int32_t y, int32_t size, Picture* window, bool* pending,
                       int32_t* result) {
  *pending = false;
  *result = 0;
  const std::shared_ptr<const Photo> photo = this->photo();
  const int32_t w = photo->full.width, h = photo->full.height;
  // The window lies inside the image: a photograph narrower than the smallest view (5 x 5)
  // has no 1:1 view.
  size = std::min({size, w, h});
  if (size < 5) {
    *result = LFTM_ERR_FILE;
    return false;
  }
  const int32_t x0 = std::max(0, std::min(x - size / 2, w - size));
  const int32_t y0 = std::max(0, std::min(y - size / 2, h - size));
  int32_t method;
  TmParam params;
  uint64_t generation;
  settings(&method, &params, &generation);
  if (method == LFTM_METHOD_RANGE_SQUEEZER) {
    *result = render_squeezer_window(photo->whole, x0, y0, size, params, window);
    return *result >= 0;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (!fullRender_ || fullRender_->generation != generation_ || photo != photo_) {
    *pending = true;
    if (!fullRunning_ && !stopping_) {
      if (fullThread_.joinable()) fullThread_.join();  // done: it cleared fullRunning_
      fullRunning_ = true;
      raise_flag(&fullStop_, 0);
      fullThread_ =
          std::thread(&TuneSession::full_render, this, photo_, generation_, method_, params_);
    }
    return false;
  }
  if (fullRender_->code < 0) {
    *result = fullRender_->code;
    return false;
  }
  const Picture& full = fullRender_->picture;
  window->width = window->height = size;
  window->spp = full.spp;
  window->samples.resize(static_cast<size_t>(size) * size * full.spp);
  *result = extract_zoom(2, w, h, full.spp, w * full.spp, size * full.spp, size, size, x0, y0,
                         full.samples.data(), window->samples.data());
  return *result >= 0;
}

RenderRun TuneSession::render_run(const volatile int32_t* stop) const {
  RenderRun run;
  run.threads = setup_.threads;
  run.stop = stop;
  run.verbose = setup_.verbose;
  return run;
}

void TuneSession::full_render(std::shared_ptr<const Photo> photo, uint64_t generation,
                              int32_t method, TmParam params) {
  auto made = std::make_shared<Render>();
  made->generation = generation;
  made->code = render_photo(photo->whole, method, params, render_run(&fullStop_),
                            &made->picture);
  std::lock_guard<std::mutex> lock(mutex_);
  fullRender_ = made;
  fullRunning_ = false;
}

}  // namespace lftm_tune
