// SPDX-License-Identifier: BSD-3-Clause
// The exported third stage of the Texture Booster: normalises the reconstructed luminance
// once, then finishes the image on the calling thread or in horizontal tiles on workers
// (whose finished rows a caller may take as they come: calc_tm3_feeding).
#include "booster/finish/calc_tm3_feeding.h"
#include "booster/finish/finish_tile.h"
#include "booster/finish/normalize.h"
#include "booster/finish/tile_worker.h"
#include "lftm.h"
#include "platform/heap_buffer.h"
#include "platform/sizes.h"
#include "platform/workers.h"
#include "squeezer/planar_output.h"

namespace lftm {
namespace {

int finish_in_tiles(int docType, const ImageDesc& desc, const TmParam* param,
                    const LumStats* stats, const float* expTable, const float* lut,
                    const TmFiles& files, const void* input, const float* lum, void* output,
                    int count, const std::function<void(RowFeed*)>& consume) {
  // Workers always write interleaved pixels; planes are made from packed rows afterwards,
  // through a scratch of exactly the interleaved size (the input is never written).
  const bool planar = desc.planes == 3;
  HeapBuffer<unsigned char> scratch;
  if (planar) {
    size_t bytes = 0;
    if (!checked_product(desc.width, desc.height,
                         static_cast<int64_t>(desc.spp) * (desc.bits == 16 ? 2 : 1), &bytes,
                         INT64_MAX) ||
        !scratch.allocate(bytes, true)) {
      return LFTM_ERR_NO_MEMORY;
    }
  }

  const int64_t outRowStride =
      planar ? static_cast<int64_t>(desc.width) * desc.spp : desc.rowStride;
  FinishTileJob jobs[kMaxWorkers];
  for (int i = 0; i < count; ++i) {
    jobs[i] = FinishTileJob{docType, desc, param, stats, expTable, lut, files,
                            input, lum, output, outRowStride, i, count, 0};
  }
  int result;
  if (consume) {
    const int failure = run_tiles_feeding(
        count, desc.height,
        [&jobs](int tile, RowBand rows) { return finish_tile_span(jobs[tile], rows); },
        consume);
    result = failure < 0 ? failure : tile_rows(count - 1, count, desc.height).rows;
  } else {
    run_tiles(count, [&jobs](int i) { finish_tile_job(&jobs[i]); });
    result = jobs[count - 1].result;
  }
  if (result >= 0 && planar) result = rgb_interleaved2color_planes(&desc, scratch.get(), output);
  return result;
}

}  // namespace

int calc_tm3_feeding(int docType, const ImageDesc* desc, const TmParam* param,
                     const LumStats* stats, const float* expTable, const float* lut,
                     const TmFiles* files, const void* input, float* lum, void* output,
                     const std::function<void(RowFeed*)>& consume) {
  ImageDesc image = *desc;
  image.planes = 0;
  int normalized = normalize_luminance(&image, param, lum, lftm::FlatPlane::kMidTone);
  if (normalized < 0) return normalized;
  return finish_in_tiles(docType, image, param, stats, expTable, lut, *files, input, lum,
                         output, clamp_workers(files->threads), consume);
}

}  // namespace lftm

extern "C" int32_t calc_tm3(int32_t docType, const ImageDesc* desc, const TmParam* param,
                            const LumStats* stats, const float* expTable, const float* lut,
                            const TmFiles* files, const void* input, float* lum,
                            void* output) {
  const ImageDesc image = *desc;
  const TmFiles run = *files;
  if (run.readFromDisk != 0) {
    return lftm::finish_tile(docType, &image, param, stats, expTable, lut, &run, input, nullptr,
                             output);
  }
  int normalized = lftm::normalize_luminance(&image, param, lum, lftm::FlatPlane::kMidTone);
  if (normalized < 0) return normalized;
  int count = lftm::clamp_workers(run.threads);
  if (count < 2) {
    return lftm::finish_tile(docType, &image, param, stats, expTable, lut, &run, input, lum,
                             output);
  }
  return lftm::finish_in_tiles(docType, image, param, stats, expTable, lut, run, input, lum,
                               output, count, nullptr);
}
