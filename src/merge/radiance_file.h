// SPDX-License-Identifier: BSD-3-Clause
// Writes RGBE planar bytes as a Radiance .hdr file (flat scanlines), whose reader gives back
// the same bytes.
#ifndef LFTM_MERGE_RADIANCE_FILE_H_
#define LFTM_MERGE_RADIANCE_FILE_H_

#include <cstdint>

namespace lftm {

// Returns 0, or LFTM_ERR_WRITER_CREATE or LFTM_ERR_WRITER_IO.
int32_t write_radiance_file(const char* path, const uint8_t* rgbe, int width, int height);

}  // namespace lftm

#endif  // LFTM_MERGE_RADIANCE_FILE_H_
