// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/finish_tile.h"

#include "booster/finish/finish_constants.h"
#include "booster/finish/finish_disk.h"
#include "booster/finish/finish_rows.h"

namespace lftm {
namespace {

struct MemoryRows {
  const unsigned char* input;
  int64_t rowBytes;
};

const unsigned char* next_memory_row(void* context, int y) {
  auto* rows = static_cast<MemoryRows*>(context);
  return rows->input + y * rows->rowBytes;
}

// Finishes the rows `band` of the tile; the band that begins the tile prints its settings.
int finish_in_memory(const FinishConstants& k, const ImageDesc& desc, const LumStats& stats,
                     const float* expTable, const float* lut, const void* input,
                     const float* lum, void* output, int64_t outRowStride, RowBand band) {
  RowLayout layout = output_layout(desc, outRowStride);
  if (band.first == 0) {
    print_finish_settings(k, 0, layout.sppOut);
    print_finish_marks(k, stats);
  }
  MemoryRows rows{static_cast<const unsigned char*>(input),
                  source_row_bytes(k.docType, desc.width, desc.rowStride)};
  return finish_rows(k, layout, expTable, lut, RowSource{next_memory_row, &rows},
                     reinterpret_cast<const unsigned char*>(lum), output, band);
}

}  // namespace

int64_t source_row_bytes(int docType, int width, int rowSamples) {
  switch (docType) {
    case 0:
      return 4 * static_cast<int64_t>(width);
    case 1:
      return 2 * static_cast<int64_t>(rowSamples);
    case 2:
      return rowSamples;
    case 10:
      return 4 * static_cast<int64_t>(rowSamples);
    default:
      return 0;
  }
}

int finish_tile(int docType, const ImageDesc* desc, const TmParam* param, const LumStats* stats,
                const float* expTable, const float* lut, const TmFiles* files, const void* input,
                const float* lum, void* output) {
  FinishConstants k;
  make_finish_constants(docType, *desc, *param, *stats, expTable, &k);
  if (files->readFromDisk == 0) {
    return finish_in_memory(k, *desc, *stats, expTable, lut, input, lum, output,
                            desc->rowStride, RowBand{0, desc->height});
  }
  print_finish_settings(k, files->readFromDisk, desc->planes == 3 ? 1 : desc->spp);
  return finish_from_disk(k, *desc, *param, *stats, expTable, *files, output);
}

int finish_tile_rows(int docType, const ImageDesc* desc, const TmParam* param,
                     const LumStats* stats, const float* expTable, const float* lut,
                     const void* input, const float* lum, void* output, int64_t outRowStride,
                     RowBand band) {
  FinishConstants k;
  make_finish_constants(docType, *desc, *param, *stats, expTable, &k);
  return finish_in_memory(k, *desc, *stats, expTable, lut, input, lum, output, outRowStride,
                          band);
}

int finish_tile_rows(int docType, const ImageDesc* desc, const TmParam* param,
                     const LumStats* stats, const float* expTable, const float* lut,
                     const void* input, const float* lum, void* output, int64_t outRowStride) {
  return finish_tile_rows(docType, desc, param, stats, expTable, lut, input, lum, output,
                          outRowStride, RowBand{0, desc->height});
}

}  // namespace lftm
