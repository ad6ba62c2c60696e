// SPDX-License-Identifier: BSD-3-Clause
// Disk mode's finishing step in the driver: the memory-mode finishing of stage 3 fed from the
// scratch copy of the image band by band, on the workers, so that the samples are those of
// memory mode for every worker count. Stage 3's own disk path finishes on one thread.
#ifndef LFTM_FRAME_DRIVER_DISK_FINISH_H_
#define LFTM_FRAME_DRIVER_DISK_FINISH_H_

#include <cstddef>
#include <cstdint>

#include "lftm.h"

namespace lftm {

// Byte offset of the luminance plane in the output buffer for finish_disk_bands: the first
// multiple of 4 from 2 x width x height. Samples written in pixel order (3 or 6 bytes a
// pixel) never reach plane values of later rows (4 bytes a pixel behind), and the plane ends
// within the 6 x width x height bytes (rounded up to whole floats) that the output buffer
// holds in disk mode.
size_t disk_finish_plane_offset(int32_t width, int32_t height);

// The most memory finish_disk_bands takes for its band buffers with a worker for every core.
int64_t disk_finish_band_bytes(int32_t width, int32_t height);

// Normalises the plane found at disk_finish_plane_offset in `output`, then finishes the image
// (desc: width, height, spp 3, bits 8 or 16, packed rows) from the RGBE planar rows of
// `inFile` into `output` on up to `threads` workers (the same bits for every count), and
// deletes `inFile` after a successful pass. Returns height, or -1 (inFile cannot be opened),
// -2 (a short read), -4 (no memory), or the normalisation's code.
int32_t finish_disk_bands(const ImageDesc& desc, const TmParam* params, const LumStats* stats,
                          const float* expTable, const char* inFile, int threads, void* output);

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVER_DISK_FINISH_H_
