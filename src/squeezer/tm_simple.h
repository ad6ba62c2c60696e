// SPDX-License-Identifier: BSD-3-Clause
// The Range Squeezer operator: one pass over the pixels, whole image or horizontal tiles.
#ifndef LFTM_SQUEEZER_TM_SIMPLE_H_
#define LFTM_SQUEEZER_TM_SIMPLE_H_

#include <functional>

#include "lftm.h"
#include "platform/row_feed.h"
#include "platform/workers.h"

namespace lftm {

// One tile's work and result; tm_simple owns one per worker for the duration of the call.
struct SqueezerWorker {
  int isFP;
  ImageDesc desc;  // the whole image; the worker derives its tile from index and count
  const TmParam* param;
  const LogStats* stats;
  const float* expTable;
  const void* input;
  void* output;
  int index;
  int count;
  int result;
};

// Tone maps the width x height pixels of desc from input to output. isFP = 0: RGBE planar
// bytes (decoded with expTable); isFP > 0: interleaved floats, spp a pixel. Output is
// interleaved (rowStride samples a row) or, with planes = 3, three packed planes.
// Returns the rows processed, or LFTM_ERR_FILE when logMax equals logMin, bits is neither 8 nor 16 or
// spp is below 1 (nothing is printed or written then).
int tm_simple_tile(int isFP, const ImageDesc* desc, const TmParam* param,
                   const LogStats* stats, const float* expTable, const void* input,
                   void* output);

// tm_simple_tile on the rows `span` of the tile only (counted from the tile's first row); the
// span that begins the tile prints its line. Returns what tm_simple_tile returns.
int tm_simple_tile_rows(int isFP, const ImageDesc* desc, RowBand span, const TmParam* param,
                        const LogStats* stats, const float* expTable, const void* input,
                        void* output);

// Worker body: runs the record's tile (always interleaved) and stores its result.
void tm_simple_threaded(SqueezerWorker* record);

// Rows `span` of the record's tile (always interleaved); the span that begins the tile prints
// its line. Returns the tile's result.
int tm_simple_tile_span(const SqueezerWorker& record, RowBand span);

// tm_simple on `count` (at least 2) workers into interleaved output (desc->planes is not
// read), with the rows computed in bands in row order while `consume` takes the finished
// rows on the calling thread (row_feed.h). The samples are those of tm_simple. Returns what
// tm_simple returns.
int tm_simple_feeding(int isFP, const ImageDesc* desc, const TmParam* param,
                      const LogStats* stats, const float* expTable, int count,
                      const void* input, void* output,
                      const std::function<void(RowFeed*)>& consume);

}  // namespace lftm

#endif  // LFTM_SQUEEZER_TM_SIMPLE_H_
