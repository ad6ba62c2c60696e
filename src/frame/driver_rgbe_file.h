// SPDX-License-Identifier: BSD-3-Clause
// Writes RGBE planar bytes as a Radiance file, so that an image decoded by a sibling reader
// can be handed to the stages that read Radiance files themselves (disk mode).
#ifndef LFTM_FRAME_DRIVER_RGBE_FILE_H_
#define LFTM_FRAME_DRIVER_RGBE_FILE_H_

#include <cstdint>

namespace lftm {

// Writes a width x height image (4 x width x height planar bytes) as a run-length encoded
// Radiance file (flat rows for widths of 32768 and more) that reads back byte for byte; only
// a flat file whose first pixel reads as a run-length row header (2, 2, below 128, or a line
// feed before such bytes) gets that pixel's red mantissa one step higher. Returns 0, or
// LFTM_ERR_IO when the file cannot be written.
int write_rgbe_file(const char* path, int32_t width, int32_t height, const uint8_t* planar);

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVER_RGBE_FILE_H_
