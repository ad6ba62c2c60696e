// SPDX-License-Identifier: BSD-3-Clause
// The host's 8-bit buffer that a render of a photograph fills.
#ifndef LFTM_PHOTO_PHOTO_OUTPUT_H_
#define LFTM_PHOTO_PHOTO_OUTPUT_H_

#include <cstdint>

#include "host/host_records.h"
#include "photo/photo.h"

namespace lftm {

// Checks that `output` takes 8-bit samples, `channels` a pixel, at the photograph's size, and
// fills `view`. Returns 0 or LFTM_ERR_ARGUMENT.
int32_t view_photo_output(const lftm_photo& photo, const lftm_image* output, int32_t channels,
                          ImageView* view);

// Copies packed rows of `spp` samples a pixel into the view's rows.
void copy_to_view(const uint8_t* samples, int32_t spp, const ImageView& view);

}  // namespace lftm

#endif  // LFTM_PHOTO_PHOTO_OUTPUT_H_
