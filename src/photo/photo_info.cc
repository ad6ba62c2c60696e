// SPDX-License-Identifier: BSD-3-Clause
// lftm_photo_get_info and lftm_photo_close.
#include "host/luminance_range.h"
#include "photo/photo.h"

namespace lftm {
namespace {

// The log-luminance range of the photograph's own pixels (TIFF: of its levelled values).
void fill_stats(const lftm_photo& photo, lftm_photo_info* info) {
  const LuminanceRange range =
      photo.is_rgbe() ? measure_rgbe(photo.rgbe.data(), photo.width(), photo.height())
                      : measure_linear(photo.linear.data(), photo.linear.size(), photo.spp());
  if (range.count == 0) return;  // no pixel has light: nothing to measure
  info->has_stats = 1;
  info->log_min = range.logMin;
  info->log_max = range.logMax;
  info->log_mean = range.logMean;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_photo_get_info(const lftm_photo* photo, int32_t want_stats,
                                       lftm_photo_info* info) {
  if (photo == nullptr || info == nullptr || info->struct_size < sizeof(lftm_photo_info)) {
    return LFTM_ERR_ARGUMENT;
  }
  lftm_photo_info filled = photo->info;
  if (want_stats != 0) lftm::fill_stats(*photo, &filled);
  *info = filled;
  return 0;
}

extern "C" int32_t lftm_photo_close(lftm_photo* photo) {
  delete photo;
  return 0;
}
