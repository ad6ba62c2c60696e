#include "booster/finish/tile_worker.h"

#include "booster/finish/finish_tile.h"
#include "platform/diag.h"
#include "platform/workers.h"

namespace lftm {

void finish_tile_job(FinishTileJob* worker) {
  const ImageDesc& desc = worker->desc;
  RowBand band = tile_rows(worker->index, worker->count, desc.height);
  // A tile starts rowSamples (not rowStride) samples per row into the input.
  int64_t rowSize = source_row_bytes(worker->docType, desc.width, desc.rowSamples);
  diag_out("docType: %d   w: %d  rowIn: %d   rowSize: %d\n", worker->docType, desc.width,
           desc.rowSamples, static_cast<int>(rowSize));

  int64_t sampleBytes = desc.bits == 16 ? 2 : 1;
  int64_t ofs = band.first * rowSize;
  int64_t mOfs = band.first * static_cast<int64_t>(desc.width);
  int64_t lOfs = band.first * worker->outRowStride * sampleBytes;
  // The printed text keeps this step's old name, tm3_threaded.
  diag_err("tm3_threaded %d  - yTile=%d, hTile=%d, ofs=%d, mOfs=%d lOfs=%d \n", worker->index,
           band.first, band.rows, static_cast<int>(ofs), static_cast<int>(mOfs),
           static_cast<int>(lOfs));

  ImageDesc tile = desc;
  tile.height = band.rows;
  tile.planes = 0;
  worker->result = finish_tile_rows(
      worker->docType, &tile, worker->param, worker->stats, worker->expTable, worker->lut,
      static_cast<const unsigned char*>(worker->input) + ofs, worker->lum + mOfs,
      static_cast<unsigned char*>(worker->output) + lOfs, worker->outRowStride);
}

}  // namespace lftm
