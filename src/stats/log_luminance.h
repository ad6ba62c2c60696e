// SPDX-License-Identifier: BSD-3-Clause
// Log-luminance planes for the Texture Booster (the exported get_log_lum and logMinMaxMoy
// are declared in lftm.h).
#ifndef LFTM_STATS_LOG_LUMINANCE_H_
#define LFTM_STATS_LOG_LUMINANCE_H_

#include "lftm.h"

namespace lftm {

// Value written for a pixel without usable luminance before the patch pass.
constexpr float kNoLuminance = -1e9f;

// Result of the statistics routines for an input layout they do not read.
constexpr int kUnsupportedLayout = LFTM_ERR_LOG_TYPE;

// Level-0 log plane (W x H, padded past W0 x H0) and LumStats fields 0-2 from an image in the
// layout of docType (0 RGBE planar bytes, 1 16-bit samples, 2 8-bit samples through lut;
// docType 2 fills the plane only and leaves stats as it is). Padding columns repeat the last
// value of their row, padding rows the last row. RGBE pixels without light are patched with
// the mean log value. Rows of 16- and 8-bit samples start rowStride samples apart.
// Returns H; 1 for a negative docType (nothing done); -1 when W0 or H0 is below 10, when the
// image (width x height) or the plane (W x H) does not cover W0 x H0, when W x H does not fit
// 32 bits, or for samples with spp below 1 or rows that would step backwards; -3 for a
// docType above 2. Its statistics line still starts "-- minMaxMoy:", as hosts' logs know it.
// RGBE logs are computed on up to `threads` workers, with the same results for every count.
int log_plane_in_memory(int docType, int spp, int width, int height, int rowStride, int W0, int H0,
                        int W, int H, LumStats* stats, const float* expTable, const float* lut,
                        const void* data, float* plane, int threads = 1);

// Disk-mode variant: reads the RGBE file inPath (whose header info describes, slots 0 to 2)
// into buf, copies its planar bytes to the file scratchPath, which outlives the call, then
// builds the width x height log plane in buf row by row from that file. Pixels without light
// are patched as log_plane_in_memory patches them: with the mean log value (the minimum when no pixel
// has light). buf must hold width x height floats (the same size
// as the 4 x width x height RGBE bytes).
// Returns height; -1 for a size below 10, a size that does not fit 32 bits, info that
// disagrees with width x height, a missing path, or a scratch file that cannot be created
// or reopened; -2 for a short write or read of the scratch file; -3 for a docType above 0;
// -4 when the row buffer cannot be had; or the negative result of the RGBE reader. Its
// per-pixel lines still say "calc_tm0s", as hosts' logs know them. The file is decoded on up
// to `threads` workers.
int log_plane_from_disk(int docType, int width, int height, LumStats* stats, const float* expTable,
                        const HdrFileInfo* info, const char* inPath, const char* scratchPath,
                        float* buf, int threads = 1);

}  // namespace lftm

#endif  // LFTM_STATS_LOG_LUMINANCE_H_
