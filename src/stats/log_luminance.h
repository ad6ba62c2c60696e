// Log-luminance planes for the Texture Booster (the exported get_log_lum and logMinMaxMoy
// are declared in lftm.h).
#ifndef LFTM_STATS_LOG_LUMINANCE_H_
#define LFTM_STATS_LOG_LUMINANCE_H_

#include "lftm.h"

namespace lftm {

// Value written for a pixel without usable luminance before the patch pass.
constexpr float kNoLuminance = -1e9f;

// Level-0 log plane (W x H, padded past W0 x H0) and LumStats fields 0-2 from an image in the
// layout of docType (0 RGBE planar bytes, 1 16-bit samples, 2 8-bit samples through lut).
// Returns H, 1 for a negative docType, -1 when W0 or H0 is below 10.
int minMaxMoy(int docType, int spp, int width, int height, int rowStride, int W0, int H0,
              int W, int H, LumStats* stats, const float* expTable, const float* lut,
              const void* data, float* plane);

// Disk-mode variant: reads the RGBE file inPath into buf, copies its bytes to the scratch file
// scratchPath, then builds the width x height log plane in buf row by row from that file.
// buf must hold max(width x height floats, 4 x width x height bytes).
// Returns height, or -1, -2, -3, -4.
int calc_tm0s(int docType, int width, int height, LumStats* stats, const float* expTable,
              const HdrFileInfo* info, const char* inPath, const char* scratchPath, float* buf);

}  // namespace lftm

#endif  // LFTM_STATS_LOG_LUMINANCE_H_
