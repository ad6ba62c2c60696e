// SPDX-License-Identifier: BSD-3-Clause
// The photograph a tuning session works on: decoded once at full resolution by the library,
// with a reduced copy of about one to two megapixels that the previews are rendered from, and
// a coarse one of about a sixth of a megapixel that renders within a slider's move.
#ifndef LFTM_TOOLS_TUNE_PHOTO_H_
#define LFTM_TOOLS_TUNE_PHOTO_H_

#include <cstdint>
#include <string>

#include "image_source.h"
#include "lftm_host.h"

namespace lftm_tune {

// The side of the previews' pixel budget: previews hold at most this squared pixels.
constexpr int32_t kPreviewSide = 1200;
// The side of the coarse previews' budget, shown while a slider is dragged.
constexpr int32_t kCoarseSide = 400;

struct Photo {
  Photo() = default;
  ~Photo();
  Photo(const Photo&) = delete;
  Photo& operator=(const Photo&) = delete;

  lftm_cli::SourceImage full;     // the file's kind and size
  lftm_photo* whole = nullptr;    // decoded at full resolution
  lftm_photo* preview = nullptr;  // reduced, tone mapped as the whole photograph is
  lftm_photo* coarse = nullptr;   // reduced further, for the previews during a drag
  int32_t previewWidth = 0;
  int32_t previewHeight = 0;
};

// Reads `path` and makes its preview copy, at most `previewSide` squared pixels, and its
// coarse copy, at most kCoarseSide squared and a quarter of the preview (but never below
// 64 x 64 pixels of budget, nor larger than the preview). Returns 0 or a
// code of open_photo (with photo->full.detail).
int32_t load_photo(const std::string& path, lftm_cli::TiffEncoding encoding,
                   int32_t previewSide, Photo* photo);

// The preview size of a width x height image within `side` squared pixels, never larger than
// the image and never below the 5 x 5 of the quick views.
void preview_size(int32_t width, int32_t height, int32_t side, int32_t* outWidth,
                  int32_t* outHeight);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_PHOTO_H_
