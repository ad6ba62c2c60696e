// SPDX-License-Identifier: BSD-3-Clause
// Disk mode of the finishing step: the source RGBE rows are streamed from a scratch file and
// the luminance plane lies at the end of the 16-bit output buffer, so that no whole-image
// input buffer is needed.
#ifndef LFTM_BOOSTER_FINISH_FINISH_DISK_H_
#define LFTM_BOOSTER_FINISH_FINISH_DISK_H_

#include "booster/finish/finish_constants.h"
#include "lftm.h"

namespace lftm {

// Byte offset of the plane in the output buffer: its last 4 x width x height bytes when the
// buffer holds height rows of rowStride 16-bit samples.
int64_t disk_plane_offset(const ImageDesc& desc);

// Normalises the plane, finishes every row from files.inFile and deletes that file after a
// successful pass (after a failure it is closed and left in place).
// Returns height, or -1 (inFile cannot be opened, or a layout disk mode cannot serve), -2 (a
// short row), -4 (no memory), -101, -102 (from the normalisation).
int finish_from_disk(const FinishConstants& k, const ImageDesc& desc, const TmParam& param,
                     const LumStats& stats, const float* expTable, const TmFiles& files,
                     void* output);

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_FINISH_DISK_H_
