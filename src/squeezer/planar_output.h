// SPDX-License-Identifier: BSD-3-Clause
// Rearranges interleaved output samples in place into red, green and blue planes.
#ifndef LFTM_SQUEEZER_PLANAR_OUTPUT_H_
#define LFTM_SQUEEZER_PLANAR_OUTPUT_H_

#include "lftm.h"

namespace lftm {

// buffer holds height rows of width x spp samples of bits/8 bytes; scratch must hold as many
// bytes. Returns height (also for depths other than 8 and 16, which are left interleaved).
int rgb_interleaved2color_planes(const ImageDesc* desc, void* scratch, void* buffer);

}  // namespace lftm

#endif  // LFTM_SQUEEZER_PLANAR_OUTPUT_H_
