// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/tile_worker.h"

#include "booster/finish/finish_tile.h"
#include "platform/diag.h"
#include "platform/workers.h"

namespace lftm {

void finish_tile_job(FinishTileJob* worker) {
  const RowBand band = tile_rows(worker->index, worker->count, worker->desc.height);
  worker->result = finish_tile_span(*worker, RowBand{0, band.rows});
}

int finish_tile_span(const FinishTileJob& job, RowBand span) {
  const ImageDesc& desc = job.desc;
  RowBand band = tile_rows(job.index, job.count, desc.height);
  // A tile starts rowSamples (not rowStride) samples per row into the input.
  int64_t rowSize = source_row_bytes(job.docType, desc.width, desc.rowSamples);
  int64_t sampleBytes = desc.bits == 16 ? 2 : 1;
  int64_t ofs = band.first * rowSize;
  int64_t mOfs = band.first * static_cast<int64_t>(desc.width);
  int64_t lOfs = band.first * job.outRowStride * sampleBytes;
  if (span.first == 0) {
    diag_out("docType: %d   w: %d  rowIn: %d   rowSize: %d\n", job.docType, desc.width,
             desc.rowSamples, static_cast<int>(rowSize));
    // The printed text keeps this step's old name, tm3_threaded.
    diag_err("tm3_threaded %d  - yTile=%d, hTile=%d, ofs=%d, mOfs=%d lOfs=%d \n", job.index,
             band.first, band.rows, static_cast<int>(ofs), static_cast<int>(mOfs),
             static_cast<int>(lOfs));
  }

  ImageDesc tile = desc;
  tile.height = band.rows;
  tile.planes = 0;
  return finish_tile_rows(job.docType, &tile, job.param, job.stats, job.expTable, job.lut,
                          static_cast<const unsigned char*>(job.input) + ofs, job.lum + mOfs,
                          static_cast<unsigned char*>(job.output) + lOfs, job.outRowStride,
                          span);
}

}  // namespace lftm
