// SPDX-License-Identifier: BSD-3-Clause
#include "photo/photo_output.h"

#include <cstring>

namespace lftm {

int32_t view_photo_output(const lftm_photo& photo, const lftm_image* output, int32_t channels,
                          ImageView* view) {
  if (view_image(output, view) < 0) return LFTM_ERR_ARGUMENT;
  const bool fits = view->sampleType == LFTM_SAMPLE_UINT8 && view->channels == channels &&
                    view->width == photo.width() && view->height == photo.height();
  return fits ? 0 : LFTM_ERR_ARGUMENT;
}

void copy_to_view(const uint8_t* samples, int32_t spp, const ImageView& view) {
  const size_t rowBytes = static_cast<size_t>(view.width) * static_cast<size_t>(spp);
  for (int64_t y = 0; y < view.height; ++y) {
    std::memcpy(view.row(y), samples + rowBytes * static_cast<size_t>(y), rowBytes);
  }
}

}  // namespace lftm
