// SPDX-License-Identifier: BSD-3-Clause
#include "merge/memory_bracket.h"

#include <cmath>
#include <cstring>
#include <string>

#include "host/host_records.h"
#include "platform/workers.h"

namespace lftm {
namespace {

bool is_frame_sample(int32_t type) {
  return type == LFTM_SAMPLE_UINT8 || type == LFTM_SAMPLE_UINT16;
}

// The view of image i, refused with a sentence naming it when the merge cannot read it.
int32_t view_frame(const BracketRequest& request, int32_t i, MergeReport* report,
                   ImageView* view) {
  if (view_image(&request.images[i], view) < 0 || view->pixels == nullptr) {
    return report->fail(LFTM_ERR_ARGUMENT, "frame %d is no valid image (size, stride or pixels)",
                        i + 1);
  }
  if (!is_frame_sample(view->sampleType)) {
    return report->fail(LFTM_ERR_ARGUMENT,
                        "frame %d must hold 8- or 16-bit samples, grey, RGB or RGBA", i + 1);
  }
  if (view->width > (1 << 30) || view->height > (1 << 30)) {
    return report->fail(LFTM_ERR_ARGUMENT, "frame %d is too large to merge", i + 1);
  }
  return 0;
}

int32_t check_matches_first(const ImageView& first, const ImageView& view, int32_t i,
                            MergeReport* report) {
  if (view.width != first.width || view.height != first.height) {
    return report->fail(LFTM_ERR_MERGE_SIZE, "frame %d is %lldx%lld but frame 1 is %lldx%lld: "
                        "frames must match", i + 1, static_cast<long long>(view.width),
                        static_cast<long long>(view.height), static_cast<long long>(first.width),
                        static_cast<long long>(first.height));
  }
  if (view.sampleType != first.sampleType) {
    return report->fail(LFTM_ERR_MERGE_SIZE,
                        "frame %d differs from frame 1 in sample depth: frames must match", i + 1);
  }
  return 0;
}

int32_t given_exposure(const BracketRequest& request, int32_t i, MergeReport* report,
                       double* exposure) {
  if (request.exposures == nullptr) {
    return report->fail(LFTM_ERR_MERGE_NO_EXPOSURE,
                        "frames in memory carry no EXIF data; give the exposure of every frame");
  }
  *exposure = request.exposures[i];
  if (*exposure > 0 && std::isfinite(*exposure)) return 0;
  return report->fail(LFTM_ERR_ARGUMENT,
                      "the exposure given for frame %d is not a positive number of seconds", i + 1);
}

// Row y of image `view` into `dst` as RGB samples of type T.
template <typename T>
void copy_row(const ImageView& view, int64_t y, T* dst) {
  const T* src = reinterpret_cast<const T*>(view.row(y));
  const int c = view.channels;
  for (int64_t x = 0; x < view.width; ++x, src += c, dst += 3) {
    dst[0] = src[0];
    dst[1] = src[c >= 3 ? 1 : 0];
    dst[2] = src[c >= 3 ? 2 : 0];
  }
}

}  // namespace

int32_t check_image_bracket(const BracketRequest& request, MergeReport* report, Bracket* bracket) {
  bracket->frames.assign(static_cast<size_t>(request.count), Frame());
  ImageView first;
  for (int32_t i = 0; i < request.count; ++i) {
    ImageView view;
    int32_t result = view_frame(request, i, report, &view);
    if (result == 0 && i == 0) first = view;
    if (result == 0) result = check_matches_first(first, view, i, report);
    Frame& frame = bracket->frames[static_cast<size_t>(i)];
    if (result == 0) result = given_exposure(request, i, report, &frame.exposure);
    if (result < 0) return result;
    frame.path = "frame " + std::to_string(i + 1);
  }
  bracket->width = static_cast<int>(first.width);
  bracket->height = static_cast<int>(first.height);
  bracket->bits = first.sampleType == LFTM_SAMPLE_UINT16 ? 16 : 8;
  return 0;
}

void copy_image_bracket(const BracketRequest& request, int threads, Bracket* bracket) {
  const size_t samples = bracket->pixels() * 3;
  const size_t rowSamples = 3 * static_cast<size_t>(bracket->width);
  for (Frame& frame : bracket->frames) {
    if (bracket->bits == 16) frame.samples16.resize(samples);
    else frame.samples8.resize(samples);
  }
  const int workers = clamp_workers(threads);
  run_tiles(workers, [&](int index) {
    const RowBand band = tile_rows(index, workers, bracket->height);
    for (size_t i = 0; i < bracket->frames.size(); ++i) {
      ImageView view;
      view_image(&request.images[i], &view);
      Frame& frame = bracket->frames[i];
      for (int y = band.first; y < band.first + band.rows; ++y) {
        if (bracket->bits == 16) copy_row(view, y, frame.samples16.data() + rowSamples * y);
        else copy_row(view, y, frame.samples8.data() + rowSamples * y);
      }
    }
  });
}

}  // namespace lftm
