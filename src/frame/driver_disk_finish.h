// Disk mode with 8-bit output: stage 3's own disk path finishes 16-bit samples only, so the
// driver finishes 8-bit samples itself, with the memory-mode finishing of stage 3 fed from
// the scratch copy of the image band by band. The samples are then those of memory mode.
#ifndef LFTM_FRAME_DRIVER_DISK_FINISH_H_
#define LFTM_FRAME_DRIVER_DISK_FINISH_H_

#include <cstddef>
#include <cstdint>

#include "lftm.h"

namespace lftm {

// Byte offset of the luminance plane in the output buffer for finish_8bit_from_disk: the
// first multiple of 4 from 2 x width x height. The 8-bit samples written in pixel order
// (3 bytes a pixel) never reach plane values still to be read (4 bytes a pixel behind), and
// the plane ends within the 6 x width x height bytes (rounded up to whole floats) that the
// output buffer holds in disk mode.
size_t disk_8bit_plane_offset(int32_t width, int32_t height);

// Normalises the plane found at disk_8bit_plane_offset in `output`, then finishes the image
// (desc: width, height, spp 3, bits 8, packed rows) from the RGBE planar rows of `inFile`
// into `output` on up to `threads` workers (the same bits for every count), and deletes
// `inFile` after a successful pass. Returns height, or -1 (inFile
// cannot be opened), -2 (a short read), -4 (no memory), or the normalisation's code.
int32_t finish_8bit_from_disk(const ImageDesc& desc, const TmParam* params,
                              const LumStats* stats, const float* expTable, const char* inFile,
                              int threads, void* output);

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVER_DISK_FINISH_H_
