// SPDX-License-Identifier: BSD-3-Clause
// In-place conversion of interleaved output samples into three colour planes, through a
// scratch copy of the interleaved samples.
#include "squeezer/planar_output.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/diag.h"

namespace lftm {
namespace {

template <typename Sample>
void split_planes(const Sample* src, size_t pixels, int spp, int red, int green, int blue,
                  Sample* dst) {
  Sample* r_plane = dst;
  Sample* g_plane = dst + pixels;
  Sample* b_plane = dst + 2 * pixels;
  size_t step = static_cast<size_t>(spp);
  for (size_t k = 0; k < pixels; ++k) {
    const Sample* px = src + k * step;
    r_plane[k] = px[red];
    g_plane[k] = px[green];
    b_plane[k] = px[blue];
  }
}

}  // namespace

int rgb_interleaved2color_planes(const ImageDesc* desc, void* scratch, void* buffer) {
  int width = desc->width;
  int height = desc->height;
  int spp = desc->spp;
  diag_err("rgb_interleaved2color_planes %d x %d \n", width, height);
  if (width <= 0 || height <= 0 || spp <= 0) return height;

  size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  size_t sample_bytes = desc->bits > 0 ? static_cast<size_t>(desc->bits / 8) : 0;
  std::memcpy(scratch, buffer, pixels * static_cast<size_t>(spp) * sample_bytes);

  int red = desc->bgr != 0 ? spp - 1 : 0;
  int green = (spp - 1) / 2;
  int blue = desc->bgr != 0 ? 0 : spp - 1;
  if (desc->bits == 8) {
    split_planes(static_cast<const uint8_t*>(scratch), pixels, spp, red, green, blue,
                 static_cast<uint8_t*>(buffer));
  } else if (desc->bits == 16) {
    split_planes(static_cast<const uint16_t*>(scratch), pixels, spp, red, green, blue,
                 static_cast<uint16_t*>(buffer));
  }
  return height;
}

}  // namespace lftm
