// SPDX-License-Identifier: BSD-3-Clause
// Per-pixel finishing of the Texture Booster: compressed luminance, gamma, shadow clipping,
// white balance, colour with a luminance-dependent saturation, optional smoothing towards a
// simple global rendition, and quantisation to 8- or 16-bit samples.
#ifndef LFTM_BOOSTER_FINISH_FINISH_TILE_H_
#define LFTM_BOOSTER_FINISH_FINISH_TILE_H_

#include <cstdint>

#include "lftm.h"
#include "platform/workers.h"

namespace lftm {

// Finishes the width x height pixels that `desc` describes.
// docType: 0 RGBE planar rows, 1 interleaved 16-bit and 2 interleaved 8-bit samples (through
// lut), 10 interleaved floats; any other layout gives black pixels. Interleaved input rows
// are rowStride samples apart. `lum` is the normalised luminance plane of these rows.
// Output: interleaved pixels of spp samples in rows of rowStride samples, or with planes = 3
// three packed planes of width x height samples (red, green, blue).
// Disk mode (files->readFromDisk != 0): the RGBE rows come from files->inFile and the plane
// from the last 4 x width x height bytes of the height x rowStride 16-bit output, normalised
// here; inFile is deleted after a successful call. Disk mode needs docType 0, 16-bit output
// and rowStride of at least width x spp and 2 x width.
// Returns height, or -1 (disk mode: inFile cannot be opened, or a layout it cannot serve),
// -2 (a short row in inFile), -4 (no memory), -101, -102 (from the normalisation).
int finish_tile(int docType, const ImageDesc* desc, const TmParam* param, const LumStats* stats,
                const float* expTable, const float* lut, const TmFiles* files, const void* input,
                const float* lum, void* output);

// Bytes from one source row to the next: RGBE rows are four runs of width bytes, interleaved
// rows rowSamples samples of 2 (docType 1), 1 (2) or 4 (10) bytes. A layout that is not read
// has no rows (0).
int64_t source_row_bytes(int docType, int width, int rowSamples);

// As finish_tile in memory mode, with interleaved output rows `outRowStride` samples apart
// (ignored for planar output). Tile workers use it to write a band of a packed image.
int finish_tile_rows(int docType, const ImageDesc* desc, const TmParam* param,
                     const LumStats* stats, const float* expTable, const float* lut,
                     const void* input, const float* lum, void* output, int64_t outRowStride);

// finish_tile_rows on the rows `band` of the tile only (input, lum and output as for the
// whole tile); the band that begins the tile prints its settings.
int finish_tile_rows(int docType, const ImageDesc* desc, const TmParam* param,
                     const LumStats* stats, const float* expTable, const float* lut,
                     const void* input, const float* lum, void* output, int64_t outRowStride,
                     RowBand band);

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_FINISH_TILE_H_
