// SPDX-License-Identifier: BSD-3-Clause
#include "merge/load_bracket.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "lftm_host.h"
#include "merge/memory_bracket.h"
#include "platform/run_context.h"
#include "platform/workers.h"

namespace lftm {
namespace {

struct FrameLayout {
  int32_t slots[LFFRAME_LAYOUT_SLOTS] = {0};
  double exif[LFFRAME_EXIF_SLOTS] = {0};
};

int32_t refuse_unreadable(const char* path, int32_t code, MergeReport* report) {
  switch (code) {
    case LFTM_ERR_SIB_OPEN: return report->fail(code, "%s is not a JPEG, PNG or TIFF frame", path);
    case LFTM_ERR_SIB_LAYOUT:
      return report->fail(code,
                          "%s has a layout the merge does not read (only 8- or 16-bit grey "
                          "or RGB samples)",
                          path);
    case LFTM_ERR_SIB_DECODE: return report->fail(code, "%s is damaged or cut short", path);
    default: return report->fail(code, "%s cannot be read: %s", path, lftm_strerror(code, 0));
  }
}

int32_t check_counts(const BracketRequest& request, MergeReport* report) {
  const bool none = request.paths == nullptr && request.images == nullptr;
  if (none || request.count < 2) {
    return report->fail(LFTM_ERR_MERGE_TOO_FEW, "a merge needs at least two frames; %d given",
                        none ? 0 : request.count);
  }
  if (request.exposures != nullptr && request.exposureCount != request.count) {
    return report->fail(LFTM_ERR_MERGE_EXPOSURE_COUNT, "%d exposures given for %d frames",
                        request.exposureCount, request.count);
  }
  return 0;
}

int32_t frame_layout(const char* path, FrameLibrary* library, MergeReport* report,
                     FrameLayout* layout) {
  const int32_t input = lftm_check_input(path);
  if (input < 0) return report->fail(input, "%s: %s", path, lftm_strerror(input, 0));
  const int32_t info = library->info(path, layout->slots, layout->exif);
  return info < 0 ? refuse_unreadable(path, info, report) : 0;
}

int32_t frame_exposure(const BracketRequest& request, int32_t i, const FrameLayout& layout,
                       MergeReport* report, double* exposure) {
  const char* path = request.paths[i];
  if (request.exposures != nullptr) {
    *exposure = request.exposures[i];
    if (!(*exposure > 0) || !std::isfinite(*exposure)) {
      return report->fail(LFTM_ERR_ARGUMENT,
                          "the exposure given for %s is not a positive number of seconds", path);
    }
    return 0;
  }
  *exposure = exif_exposure(layout.exif);
  if (*exposure > 0 && std::isfinite(*exposure)) return 0;
  return report->fail(LFTM_ERR_MERGE_NO_EXPOSURE,
                      "%s has no exposure time in its EXIF data; give the exposures of "
                      "every frame",
                      path);
}

int32_t check_same_layout(const Bracket& bracket, const char* path, const FrameLayout& layout,
                          MergeReport* report) {
  const Frame& first = bracket.frames.front();
  const int32_t w = layout.slots[LFFRAME_WIDTH], h = layout.slots[LFFRAME_HEIGHT];
  if (w != bracket.width || h != bracket.height) {
    return report->fail(LFTM_ERR_MERGE_SIZE, "%s is %dx%d but %s is %dx%d: frames must match", path,
                        w, h, first.path.c_str(), bracket.width, bracket.height);
  }
  if (layout.slots[LFFRAME_BITS] != bracket.bits) {
    return report->fail(LFTM_ERR_MERGE_SIZE,
                        "%s has %d-bit samples but %s has %d-bit ones: frames must match", path,
                        layout.slots[LFFRAME_BITS], first.path.c_str(), bracket.bits);
  }
  return 0;
}

}  // namespace

double exif_exposure(const double exif[3]) {
  const double time = exif[LFFRAME_EXPOSURE_TIME];
  const double fnumber = exif[LFFRAME_F_NUMBER] > 0 ? exif[LFFRAME_F_NUMBER] : 1.0;
  const double iso = exif[LFFRAME_ISO] > 0 ? exif[LFFRAME_ISO] : 100.0;
  return time > 0 ? time * (iso / 100.0) / (fnumber * fnumber) : 0.0;
}

int32_t check_bracket(const BracketRequest& request, FrameLibrary* library, MergeReport* report,
                      Bracket* bracket) {
  int32_t result = check_counts(request, report);
  if (result < 0) return result;
  if (request.images != nullptr) return check_image_bracket(request, report, bracket);
  if (!library->load_reader()) {
    return report->fail(LFTM_ERR_MERGE_LIBRARY, "the frame reader library cannot be loaded");
  }
  bracket->frames.assign(static_cast<size_t>(request.count), Frame());
  for (int32_t i = 0; i < request.count; ++i) {
    const char* path = request.paths[i] != nullptr ? request.paths[i] : "";
    FrameLayout layout;
    if ((result = frame_layout(path, library, report, &layout)) < 0) return result;
    Frame& frame = bracket->frames[static_cast<size_t>(i)];
    frame.path = path;
    if (i == 0) {
      bracket->width = layout.slots[LFFRAME_WIDTH];
      bracket->height = layout.slots[LFFRAME_HEIGHT];
      bracket->bits = layout.slots[LFFRAME_BITS];
    }
    if ((result = check_same_layout(*bracket, path, layout, report)) < 0) return result;
    if ((result = frame_exposure(request, i, layout, report, &frame.exposure)) < 0) {
      return result;
    }
  }
  return 0;
}

int32_t decode_bracket(FrameLibrary* library, MergeReport* report, Bracket* bracket, int threads) {
  const size_t samples = bracket->pixels() * 3;
  std::vector<void*> destinations;
  for (Frame& frame : bracket->frames) {
    if (bracket->bits == 16) {
      frame.samples16.resize(samples);
      destinations.push_back(frame.samples16.data());
    } else {
      frame.samples8.resize(samples);
      destinations.push_back(frame.samples8.data());
    }
  }
  // Frames decode side by side, worker k taking frames k, k + workers, ...; a failure is
  // told for the first failing frame in the frames' order, whatever the timing.
  const size_t count = bracket->frames.size();
  const int workers = clamp_workers(std::min(threads, static_cast<int>(count)));
  std::vector<int32_t> results(count, 0);
  run_tiles(workers, [&](int index) {
    for (size_t i = static_cast<size_t>(index); i < count; i += static_cast<size_t>(workers)) {
      if (run_cancelled()) return;
      results[i] = library->read(bracket->frames[i].path.c_str(), bracket->width, bracket->height,
                                 bracket->bits, destinations[i]);
    }
  });
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  for (size_t i = 0; i < count; ++i) {
    if (results[i] < 0)
      return refuse_unreadable(bracket->frames[i].path.c_str(), results[i], report);
  }
  return 0;
}

}  // namespace lftm
