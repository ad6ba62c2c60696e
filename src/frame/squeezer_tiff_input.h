// SPDX-License-Identifier: BSD-3-Clause
// TIFF samples as the Range Squeezer's linear float input.
#ifndef LFTM_FRAME_SQUEEZER_TIFF_INPUT_H_
#define LFTM_FRAME_SQUEEZER_TIFF_INPUT_H_

#include <cstdint>

namespace lftm {

// The geometric mean luminance that TIFF input is brought to. The Range Squeezer's response
// depends on the absolute level and a TIFF carries none, so the level is fixed by the bulk of
// the image rather than by its brightest sample (often a small highlight, which would leave
// the mid-tones far darker than the same photograph gives from an .hdr file). At this level
// Radiance photographs and their linear 16-bit TIFFs come out alike.
constexpr double kSqueezerTiffMeanLevel = 0.125;

// Fills `linear` (width x height x spp floats) from interleaved 16-bit samples through the
// 16-bit table of extType, and brings it to the level above. A sample of 0 stays 0: a pixel
// whose samples are all 0 is black, as an RGBE pixel with exponent 0, and is left out of the
// statistics instead of setting the black point with the many dark pixels that 16-bit
// quantisation put on the lowest steps. The statistics run on up to `threads` workers, with
// the same result for any count. Returns false when the table cannot be allocated.
bool squeezer_input_from_tiff(int32_t extType, const uint16_t* samples, int32_t width,
                              int32_t height, int32_t spp, float* linear, int threads = 1);

}  // namespace lftm

#endif  // LFTM_FRAME_SQUEEZER_TIFF_INPUT_H_
