// SPDX-License-Identifier: BSD-3-Clause
#include "frame/run_needs.h"

#include <sys/stat.h>

#include <string>

#include "booster/poisson/cg_solver.h"
#include "frame/driver_disk_finish.h"
#include "frame/driver_io.h"
#include "imageio/rgbe_reader.h"
#include "imageio/sibling_api.h"
#include "platform/diag.h"
#include "platform/resources.h"
#include "platform/scratch_file.h"

namespace lftm {
namespace {

// Stage 2 in memory solves the finest level in place in the shared output buffer and holds
// beside it the solver's two vectors, r and p, and the level below (a quarter of the image):
// 2.25 float planes of the image's size, counted here in quarter planes.
constexpr int64_t kStage2QuarterPlanes = 9;

// Disk mode's solver keeps two vectors of the image's size, r and p, in scratch files when the
// memory budget leaves no room for them.
constexpr int64_t kScratchSolverPlanes = 2;

// Allocations that do not grow with the image: tables, row buffers, the libraries.
constexpr int64_t kFixedBytes = 32LL << 20;

// Pages of a file-backed output buffer touched between two hand-backs (file_backed_buffer.h).
constexpr int64_t kTouchedPageBytes = 192LL << 20;

int64_t larger(int64_t a, int64_t b) { return a > b ? a : b; }

struct ImageBytes {
  int64_t pixels;  // width x height
  int64_t raw;     // the image as read: RGBE planar bytes or 16-bit samples
  int64_t plane;   // one float plane
  int64_t file;    // what the reader holds besides the image: the file, a block of it, or a copy
};

ImageBytes image_bytes_of(const RunImage& image) {
  ImageBytes b;
  b.pixels = static_cast<int64_t>(image.width) * image.height;
  b.raw = doc_type_for(image.kind) == LFTM_DOC_U16 ? 2 * b.pixels * image.spp : 4 * b.pixels;
  b.plane = 4 * b.pixels;
  b.file = image.kind == LFTM_EXT_HDR
               ? rgbe_read_mem_bytes(image.fileBytes, image.width, image.height)
               : b.raw;
  return b;
}

// The shared output buffer: the pyramid, then the output samples (16-bit in disk mode).
int64_t output_buffer_bytes(const RunImage& image, const ImageBytes& b, const PyramidDims& dims,
                            bool disk) {
  const int64_t pyramid = 4 * static_cast<int64_t>(larger(dims.total, dims.total2));
  const int64_t samples = b.pixels * image.spp * (disk ? 2 : image.bits / 8);
  return larger(pyramid, (samples + 3) / 4 * 4);
}

}  // namespace

int64_t file_length(const char* path) {
  struct stat st;
  return path != nullptr && stat(path, &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
}

RunNeeds booster_needs(const RunImage& image, const PyramidDims& dims, bool disk) {
  const ImageBytes b = image_bytes_of(image);
  const int64_t pyramid = 4 * static_cast<int64_t>(larger(dims.total, dims.total2));
  const int64_t output = output_buffer_bytes(image, b, dims, disk);
  RunNeeds needs;
  if (disk) {
    // Stage 1 decodes the image into the output buffer while the reader holds the file (or a
    // block of it); from then on the output buffer is held, beside the solver's bands in
    // stage 2 and the finishing step's in stage 3. What the budget leaves beyond this the
    // solver may keep in memory.
    const int64_t finishBands = disk_finish_band_bytes(image.width, image.height);
    needs.memory = larger(b.plane + b.file, output + finishBands) +
                   streamed_solver_bytes(image.width) + kFixedBytes;
    needs.scratch = b.plane + pyramid + kScratchSolverPlanes * b.plane;
    if (decodes_to_rgbe(image.kind)) needs.scratch += b.plane;  // the decoded copy
  } else {
    const int64_t input = larger(pyramid, b.raw);
    int64_t peak = input + b.file;                                   // reading
    peak = larger(peak, input + output);                              // stage 1
    peak = larger(peak, output + kStage2QuarterPlanes * b.plane / 4);  // stage 2
    peak = larger(peak, output + b.plane + b.raw + b.file);          // reading again, stage 3
    needs.memory = peak + kFixedBytes;
  }
  return needs;
}

RunNeeds disk_needs_within(const RunImage& image, const PyramidDims& dims, int64_t budget,
                           bool* outputInFile) {
  const RunNeeds buffered = booster_needs(image, dims, true);
  // With the output buffer in a file, the run holds the reader's block of the file (stage 1),
  // then stage 1's level-1 work plane, then the solver's bands, then the finishing step's
  // bands; and the buffer's pages touched since they were last handed back.
  const ImageBytes b = image_bytes_of(image);
  const int64_t output = output_buffer_bytes(image, b, dims, true);
  const int64_t level1 = 4 * static_cast<int64_t>(image.width / 2 + 1) * (image.height / 2 + 1);
  const int64_t finishBands = disk_finish_band_bytes(image.width, image.height);
  RunNeeds lean;
  lean.memory = larger(larger(b.file, level1), finishBands) +
                streamed_solver_bytes(image.width) + kFixedBytes +
                (output < kTouchedPageBytes ? output : kTouchedPageBytes);
  lean.scratch = buffered.scratch + output;
  const bool inFile = budget > 0 && budget < buffered.memory && lean.memory < buffered.memory;
  if (outputInFile != nullptr) *outputInFile = inFile;
  return inFile ? lean : buffered;
}

RunNeeds squeezer_needs(const RunImage& image) {
  const ImageBytes b = image_bytes_of(image);
  int64_t output = b.pixels * image.spp * (image.bits / 8);
  // 16-bit TIFF samples are turned into floats before they are tone mapped.
  if (doc_type_for(image.kind) == LFTM_DOC_U16) output += 4 * b.pixels * image.spp;
  RunNeeds needs;
  needs.memory = b.raw + larger(b.file, output) + kFixedBytes;
  return needs;
}

int32_t refuse_too_large(int32_t width, int32_t height, bool booster) {
  const int64_t pixels = static_cast<int64_t>(width) * height;
  diag_out("%d x %d pixels (%.2f gigapixels) is too large: %s\n", width, height, pixels / 1e9,
           booster ? "the Texture Booster takes at most about 1.6 gigapixels (a pyramid of "
                     "at most 2^31 - 1 values)"
                   : "the library takes at most 2^31 - 1 pixels (2.1 gigapixels)");
  return LFTM_ERR_TOO_LARGE;
}

int32_t check_jpeg_side(bool jpeg, int32_t width, int32_t height) {
  if (!jpeg || (width <= kJpegLargestSide && height <= kJpegLargestSide)) return 0;
  diag_out("a JPEG holds at most %d pixels a side and the image is %d x %d: write a TIFF\n",
           kJpegLargestSide, width, height);
  return LFTM_ERR_WRITER_ARGS;
}

int32_t check_memory_fits(const RunNeeds& needs, bool disk, int64_t limit) {
  if (limit > 0 && needs.memory > limit) {
    diag_out("the run needs %lld bytes of memory (about %s) and the limit set is %lld bytes: "
             "%s\n",
             static_cast<long long>(needs.memory), byte_count_text(needs.memory).c_str(),
             static_cast<long long>(limit),
             disk ? "raise the limit" : "raise the limit or use disk mode (--disk)");
    return LFTM_ERR_OVER_LIMIT;
  }
  const int64_t memory = available_memory_bytes();
  if (memory != kResourceUnknown && needs.memory > memory) {
    diag_out("the run needs about %s of memory and %s is available: %s\n",
             byte_count_text(needs.memory).c_str(), byte_count_text(memory).c_str(),
             disk ? "free memory or reduce the image"
                  : "use disk mode (--disk), which keeps the large planes in files");
    return LFTM_ERR_NO_MEMORY;
  }
  return 0;
}

int32_t check_scratch_fits(const RunNeeds& needs) {
  std::string dir;
  if (!temp_directory(&dir)) return 0;  // creating the scratch files reports it
  const int64_t space = free_disk_bytes(dir);
  if (space != kResourceUnknown && needs.scratch > space) {
    diag_out("disk mode needs about %s of scratch space in %s and %s is free there: free "
             "space or point TMPDIR to a larger disk\n",
             byte_count_text(needs.scratch).c_str(), dir.c_str(),
             byte_count_text(space).c_str());
    return LFTM_ERR_NO_SCRATCH_SPACE;
  }
  return 0;
}

}  // namespace lftm
