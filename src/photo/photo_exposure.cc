// SPDX-License-Identifier: BSD-3-Clause
// lftm_photo_render_exposure: the photograph before tone mapping, exposed so that its
// geometric mean luminance lands on middle grey and encoded with a 2.2 gamma.
#include <algorithm>
#include <cmath>

#include "imageio/rgbe_reader.h"
#include "photo/photo_output.h"

namespace lftm {
namespace {

// The linear red, green and blue of pixel i.
void linear_rgb(const lftm_photo& photo, const float* expTable, size_t i, float rgb[3]) {
  const size_t width = static_cast<size_t>(photo.width());
  if (photo.is_rgbe()) {
    const uint8_t* planes = photo.rgbe.data() + 4 * (i / width) * width + i % width;
    const float scale = expTable[planes[3 * width]];
    for (size_t c = 0; c < 3; ++c) rgb[c] = planes[c * width] * scale;
    return;
  }
  const int32_t spp = photo.spp();
  const float* pixel = photo.linear.data() + i * spp;
  rgb[0] = pixel[0];
  rgb[1] = pixel[(spp - 1) / 2];
  rgb[2] = pixel[spp - 1];
}

void expose(const lftm_photo& photo, const ImageView& out) {
  float expTable[256];
  build_exp_table(expTable);
  const double mean = std::exp(static_cast<double>(photo.stats.logMoy));
  const float scale = static_cast<float>(mean > 0 ? 0.18 / mean : 1.0);
  const size_t width = static_cast<size_t>(photo.width());
  for (int64_t y = 0; y < out.height; ++y) {
    uint8_t* row = out.row(y);
    for (size_t x = 0; x < width; ++x) {
      float rgb[3];
      linear_rgb(photo, expTable, static_cast<size_t>(y) * width + x, rgb);
      for (int c = 0; c < 3; ++c) {
        const float v = std::pow(std::max(0.0f, rgb[c] * scale), 1.0f / 2.2f);
        row[3 * x + c] = static_cast<uint8_t>(std::min(255.0f, v * 255.0f + 0.5f));
      }
    }
  }
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_photo_render_exposure(const lftm_photo* photo, lftm_image* output) {
  lftm::ImageView out;
  if (photo == nullptr || lftm::view_photo_output(*photo, output, 3, &out) < 0) {
    return LFTM_ERR_ARGUMENT;
  }
  lftm::expose(*photo, out);
  return 0;
}
