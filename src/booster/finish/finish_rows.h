// SPDX-License-Identifier: BSD-3-Clause
// The pixel loop of the finishing step, shared by memory and disk mode: rows top to bottom,
// pixels left to right, one luminance value per pixel.
#ifndef LFTM_BOOSTER_FINISH_FINISH_ROWS_H_
#define LFTM_BOOSTER_FINISH_FINISH_ROWS_H_

#include <cstdint>

#include "booster/finish/finish_constants.h"
#include "lftm.h"
#include "platform/workers.h"

namespace lftm {

struct RowLayout {
  int width;
  int height;
  int spp;
  int bits;             // 16: 16-bit samples, anything else 8-bit
  int64_t outRowGap;    // output samples skipped after each row
  int sppOut;           // output pixel step: spp, or 1 for planes
  int64_t channel[3];   // red, green, blue offsets from a pixel's output position
  int sourceChannel[3]; // red, green, blue positions in an interleaved source pixel
};

// The output layout of `desc`: interleaved rows outRowStride samples apart, or three
// packed planes when planes = 3.
RowLayout output_layout(const ImageDesc& desc, int64_t outRowStride);

// Source of the rows: row y of the tile, or null when it cannot be had.
struct RowSource {
  const unsigned char* (*row)(void* context, int y);
  void* context;
};

// Finishes every pixel of the layout. Source rows are RGBE planar rows (docType 0) or
// interleaved samples; `lum` holds width x height floats at any byte alignment.
// Returns height, or -2 when a source row cannot be had.
int finish_rows(const FinishConstants& k, const RowLayout& layout, const float* expTable,
                const float* lut, RowSource source, const unsigned char* lum, void* output);

// finish_rows on the rows `rows` of the layout only (source rows, `lum` and `output` as for
// the whole layout).
int finish_rows(const FinishConstants& k, const RowLayout& layout, const float* expTable,
                const float* lut, RowSource source, const unsigned char* lum, void* output,
                RowBand rows);

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_FINISH_ROWS_H_
