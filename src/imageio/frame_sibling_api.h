// SPDX-License-Identifier: BSD-3-Clause
// The entry points of the bracket-frame reader (lfframe.dll) and of the OpenEXR writer entry
// of lfexr.dll, as the merge calls them and as the libraries define them. Both sides include
// this header, so a change of signature breaks the build on both sides at once.
#ifndef LFTM_IMAGEIO_FRAME_SIBLING_API_H_
#define LFTM_IMAGEIO_FRAME_SIBLING_API_H_

#include <stdint.h>

#include "lftm.h"

extern "C" {

// Slots of lfframe_info's `layout`.
enum {
  LFFRAME_WIDTH = 0,        // pixels per row, once the EXIF orientation is applied
  LFFRAME_HEIGHT = 1,       // rows, once the EXIF orientation is applied
  LFFRAME_CHANNELS = 2,     // 1 grey, 3 colour (alpha is dropped)
  LFFRAME_BITS = 3,         // 8 or 16: the samples lfframe_read delivers
  LFFRAME_ORIENTATION = 4,  // the EXIF orientation, 1..8 (1 when the frame names none)
  LFFRAME_FORMAT = 5,       // LFFRAME_JPEG, LFFRAME_PNG or LFFRAME_TIFF
  LFFRAME_LAYOUT_SLOTS = 6
};

enum { LFFRAME_JPEG = 1, LFFRAME_PNG = 2, LFFRAME_TIFF = 3 };

// Slots of lfframe_info's `exif`: what the frame's EXIF block says, 0 for a value it lacks.
enum {
  LFFRAME_EXPOSURE_TIME = 0,  // seconds
  LFFRAME_F_NUMBER = 1,
  LFFRAME_ISO = 2,
  LFFRAME_CAPTURE_TIME = 3,  // DateTimeOriginal (+ SubSecTimeOriginal) as seconds since
                             // 1970 read as if in UTC: only differences between frames count
  LFFRAME_EXIF_SLOTS = 4
};

// Reads the layout and the exposure values of a JPEG, PNG or TIFF frame (found by its first
// bytes) without its pixels. Returns 1, or LFTM_ERR_SIB_OPEN (cannot be opened, or none of
// the three), LFTM_ERR_SIB_LAYOUT (a layout it does not read: CMYK, 12-bit JPEG, palette or
// planar TIFF...) or LFTM_ERR_SIB_DECODE (a damaged header).
LFTM_EXPORT int32_t lfframe_info(const char* path, int32_t* layout, double* exif);

// Decodes a frame into `dst`: width x height pixels of three interleaved samples (grey is
// repeated), rows packed, upright as its EXIF orientation says, 8-bit samples or 16-bit ones
// in machine order as `bits` says (which must be the frame's own depth). A frame whose data
// ends early or is damaged anywhere is refused, never delivered in part. Returns height, or a
// negative LFTM_ERR_SIB_* code (LFTM_ERR_SIB_SIZE when width, height or bits are not the
// frame's).
LFTM_EXPORT int32_t lfframe_read(const char* path, int32_t width, int32_t height, int32_t bits,
                                 void* dst);

// Writes width x height interleaved RGB floats as an OpenEXR file of 32-bit float channels
// R, G and B with lossless PIZ compression, so that lfexr_read gives back the same values,
// and a "software" string attribute "lftm" (the mark of lftm's own outputs). `threads`
// compress blocks of rows side by side (0 or 1: the calling thread). Returns 1, or
// LFTM_ERR_WRITER_ARGS, LFTM_ERR_WRITER_CREATE or LFTM_ERR_WRITER_IO.
LFTM_EXPORT int32_t lfexr_write(const char* path, int32_t width, int32_t height, const float* rgb,
                                int32_t threads);

}  // extern "C"

namespace lftm {

using FrameInfoFn = decltype(&lfframe_info);
using FrameReadFn = decltype(&lfframe_read);
using ExrWriteFn = decltype(&lfexr_write);

constexpr char kFrameReaderLibrary[] = "lfframe.dll";
// lfexr_write lives in the OpenEXR library beside lfexr_read (kExrReaderLibrary).

}  // namespace lftm

#endif  // LFTM_IMAGEIO_FRAME_SIBLING_API_H_
