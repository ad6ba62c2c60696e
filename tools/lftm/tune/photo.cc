// SPDX-License-Identifier: BSD-3-Clause
#include "photo.h"

#include <algorithm>
#include <cmath>

namespace lftm_tune {
namespace {

// The smallest budget side of a coarse copy: the Texture Booster's pyramids need some room.
constexpr int32_t kSmallestCoarseSide = 64;

}  // namespace

Photo::~Photo() {
  lftm_photo_close(coarse);
  lftm_photo_close(preview);
  lftm_photo_close(whole);
}

void preview_size(int32_t width, int32_t height, int32_t side, int32_t* outWidth,
                  int32_t* outHeight) {
  const double budget = static_cast<double>(side) * side;
  const double scale = std::min(1.0, std::sqrt(budget / (static_cast<double>(width) * height)));
  *outWidth = std::max<int32_t>(5, static_cast<int32_t>(width * scale));
  *outHeight = std::max<int32_t>(5, static_cast<int32_t>(height * scale));
}

int32_t load_photo(const std::string& path, lftm_cli::TiffEncoding encoding,
                   int32_t previewSide, Photo* photo) {
  const int32_t result = lftm_cli::open_photo(path, encoding, &photo->full, &photo->whole);
  if (result < 0) return result;
  preview_size(photo->full.width, photo->full.height, previewSide, &photo->previewWidth,
               &photo->previewHeight);
  const int32_t reduced = lftm_photo_reduce(photo->whole, photo->previewWidth,
                                            photo->previewHeight, &photo->preview);
  if (reduced < 0) return reduced;
  int32_t coarseWidth, coarseHeight;
  const int32_t coarseSide = std::max(kSmallestCoarseSide, std::min(previewSide / 2, kCoarseSide));
  preview_size(photo->previewWidth, photo->previewHeight, coarseSide, &coarseWidth,
               &coarseHeight);
  return lftm_photo_reduce(photo->whole, coarseWidth, coarseHeight, &photo->coarse);
}

}  // namespace lftm_tune
