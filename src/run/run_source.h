// SPDX-License-Identifier: BSD-3-Clause
// Where a run's image comes from: a file that the run reads through its own RGBE reader or
// the sibling readers, or pixels already decoded in memory in the stages' own form. Library
// code that holds such pixels (a host's floats once encoded, an editor's preview-sized image)
// hands them to a run without writing or faking a file.
#ifndef LFTM_RUN_RUN_SOURCE_H_
#define LFTM_RUN_RUN_SOURCE_H_

#include <cstddef>
#include <cstdint>

#include "lftm.h"

namespace lftm {

// An image decoded in memory, in one of the two forms the stages read. The caller keeps the
// pixels alive and unchanged for the whole run; the run never writes them.
struct DecodedPixels {
  // The form of `data`, as the input kinds of the file drivers name it:
  // - LFTM_EXT_HDR or LFTM_EXT_EXR: RGBE planar bytes, 4 x width x height; each row holds
  //   `width` red mantissas, then the green, the blue and the exponent bytes (the value of a
  //   channel is mantissa x 2^(exponent - 136)). `spp` is 3. In disk mode the run writes them
  //   into a Radiance scratch file, which the disk-mode stages read.
  // - LFTM_EXT_TIF_GAMMA (gamma 2.2) or LFTM_EXT_TIF_LINEAR: interleaved unsigned 16-bit
  //   samples in machine order, `spp` (1 or 3) a pixel, rows packed, which the stages map to
  //   linear values through the table of that kind. Disk mode does not take them.
  int32_t kind = LFTM_EXT_EXR;
  int32_t width = 0;
  int32_t height = 0;
  int32_t spp = 3;
  const void* data = nullptr;
  // What a reader reports in its four work floats with such pixels (the OpenEXR reader's
  // report for an encoded image); the Range Squeezer starts its statistics record from them.
  float work[4] = {0, 0, 0, 0};
};

// The bytes `data` holds for `pixels` (4 x width x height, or 2 x width x height x spp).
size_t decoded_bytes(const DecodedPixels& pixels);

struct RunSource {
  // The input file (read when `pixels` is null), or only the name that the run's messages
  // print for the pixels.
  const char* path = nullptr;
  // The input kind of the file: 100 (.hdr), 101 (.exr), 200 or 201 (.tif); or the pixels'.
  int32_t extType = 0;
  // Decoded pixels, or null for a file.
  const DecodedPixels* pixels = nullptr;
};

// A file of input kind `extType` (the kind is checked by the run, with its message).
RunSource file_source(int32_t extType, const char* path);

// Pixels held by the caller; `name` stands for them in the messages (e.g. "(memory)").
RunSource pixel_source(const DecodedPixels* pixels, const char* name);

}  // namespace lftm

#endif  // LFTM_RUN_RUN_SOURCE_H_
