// SPDX-License-Identifier: BSD-3-Clause
// The host's pixels in and out of the drivers' layouts.
#ifndef LFTM_HOST_HOST_PIXELS_H_
#define LFTM_HOST_HOST_PIXELS_H_

#include <cstdint>

#include "host/host_records.h"

namespace lftm {

// Encodes the host's float pixels (1, 3 or 4 channels; grey as R = G = B, alpha left out)
// into RGBE planar bytes, 4 x width x height, with the encoder of the OpenEXR reader, so
// that the stages see what they would see for a file of these pixels. `work` receives what
// that reader reports in its four work floats. Returns 0, or LFTM_ERR_CANCELLED.
int32_t encode_host_pixels(const ImageView& in, uint8_t* rgbe, float work[4]);

// Copies the drivers' interleaved RGB samples (8-bit, or 16-bit when out is 16-bit; width x
// 3 a row) into the host's output: one channel takes red (a grey input gives equal channels),
// four channels take the input's alpha clamped to 0..1, scaled to the output range and
// rounded.
void store_host_samples(const void* samples, const ImageView& in, const ImageView& out);

// Decodes RGBE planar bytes into the host's 3-channel float output: each channel is its
// mantissa x 2^(exponent - 136), the value the stages take, which the encoder above turns
// back into the same bytes.
void decode_rgbe_to_host(const uint8_t* rgbe, const ImageView& out);

}  // namespace lftm

#endif  // LFTM_HOST_HOST_PIXELS_H_
