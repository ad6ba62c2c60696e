// SPDX-License-Identifier: BSD-3-Clause
// What a file-to-file run needs of the machine, estimated from the image and pyramid sizes
// before anything is allocated, and the refusals when the image or the run cannot fit.
#ifndef LFTM_FRAME_RUN_NEEDS_H_
#define LFTM_FRAME_RUN_NEEDS_H_

#include <cstdint>

#include "lftm.h"

namespace lftm {

// Peak memory and scratch space of a run, in bytes.
struct RunNeeds {
  int64_t memory = 0;
  int64_t scratch = 0;
};

// The image as the drivers read it.
struct RunImage {
  int32_t kind;      // input kind as read (input_kind)
  int32_t width;
  int32_t height;
  int32_t spp;
  int32_t bits;      // output depth, 8 or 16
  int64_t fileBytes; // length of the input file (the whole-file reader holds it once)
};

// The length of a file in bytes, 0 when it cannot be had.
int64_t file_length(const char* path);

// A Texture Booster run with the pyramid of tm_dim, in memory or disk mode.
RunNeeds booster_needs(const RunImage& image, const PyramidDims& dims, bool disk);

// Disk mode under a memory budget: with the output buffer in memory when `budget` holds the
// run so (or is 0, unknown), else with that buffer in a scratch file, which takes much less
// memory and more scratch space. `outputInFile` (may be null) says which.
RunNeeds disk_needs_within(const RunImage& image, const PyramidDims& dims, int64_t budget,
                           bool* outputInFile);
// A Range Squeezer run.
RunNeeds squeezer_needs(const RunImage& image);

// Prints why an image of width x height is refused and returns LFTM_ERR_TOO_LARGE.
int32_t refuse_too_large(int32_t width, int32_t height, bool booster);

// Before any work: a JPEG output holds at most kJpegLargestSide pixels a side. Prints why and
// returns LFTM_ERR_WRITER_ARGS when `jpeg` and the image is wider or higher, else 0.
int32_t check_jpeg_side(bool jpeg, int32_t width, int32_t height);

// Compares the memory estimate with `limit`, the bytes the caller allowed (0: no limit set),
// and with the memory that can be had now; prints a sentence (in memory mode: use disk mode)
// and returns LFTM_ERR_OVER_LIMIT when the run passes the limit, LFTM_ERR_NO_MEMORY when it
// passes the memory available, else 0. Memory the system cannot report is taken as enough.
int32_t check_memory_fits(const RunNeeds& needs, bool disk, int64_t limit);

// Compares the scratch estimate with the free space of the temporary directory; prints how
// much is needed and free and returns LFTM_ERR_NO_SCRATCH_SPACE when it cannot fit, else 0.
int32_t check_scratch_fits(const RunNeeds& needs);

}  // namespace lftm

#endif  // LFTM_FRAME_RUN_NEEDS_H_
