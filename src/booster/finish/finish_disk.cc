// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/finish_disk.h"

#include <cstdint>
#include <cstdio>

#include "booster/finish/finish_rows.h"
#include "booster/finish/normalize.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/input_file.h"
#include "platform/scratch_file.h"
#include "platform/sizes.h"
#include "squeezer/planar_output.h"

namespace lftm {
namespace {

struct DiskRows {
  std::FILE* file;
  unsigned char* buffer;
  size_t bytes;
};

const unsigned char* next_disk_row(void* context, int y) {
  auto* rows = static_cast<DiskRows*>(context);
  if (read_quarters(rows->file, rows->buffer, rows->bytes) != 4) {
    diag_out("tm3 could not read from input file at %d\n", y);
    return nullptr;
  }
  return rows->buffer;
}

// The plane shares the output buffer, so the rows written must never reach plane values
// still to be read: that holds for RGBE rows finished into 16-bit samples when each output
// row is at least as long as the pixels it holds and the plane fits behind the samples.
bool disk_layout_usable(int docType, const ImageDesc& desc) {
  int64_t rowSamples = static_cast<int64_t>(desc.width) * desc.spp;
  return docType == 0 && desc.bits == 16 && desc.rowStride >= rowSamples &&
         desc.rowStride >= 2 * static_cast<int64_t>(desc.width);
}

}  // namespace

int64_t disk_plane_offset(const ImageDesc& desc) {
  return 2 * static_cast<int64_t>(desc.height) *
         (static_cast<int64_t>(desc.rowStride) - 2 * static_cast<int64_t>(desc.width));
}

int finish_from_disk(const FinishConstants& k, const ImageDesc& desc, const TmParam& param,
                     const LumStats& stats, const float* expTable, const TmFiles& files,
                     void* output) {
  if (!disk_layout_usable(k.docType, desc)) {
    diag_out("tm3 disk mode needs RGBE rows, 16-bit output and rowStride >= 2 x width\n");
    return LFTM_ERR_FILE;
  }

  // Planes are made from a packed interleaved pass afterwards: writing them directly would
  // overwrite plane values that are still to be read.
  const bool planar = desc.planes == 3;
  HeapBuffer<unsigned char> scratch;
  if (planar) {
    size_t bytes = 0;
    if (!checked_product(desc.width, desc.height, 2 * static_cast<int64_t>(desc.spp), &bytes,
                         INT64_MAX) ||
        !scratch.allocate(bytes)) {
      return LFTM_ERR_NO_MEMORY;
    }
  }

  std::FILE* file = open_regular_file(files.inFile != nullptr ? files.inFile : "");
  if (file == nullptr) return LFTM_ERR_FILE;
  DiskRows rows{file, nullptr, 4 * static_cast<size_t>(desc.width > 0 ? desc.width : 0)};
  HeapBuffer<unsigned char> rowBuffer;
  if (!rowBuffer.allocate(rows.bytes)) {
    std::fclose(file);
    return LFTM_ERR_NO_MEMORY;
  }
  rows.buffer = rowBuffer.get();

  unsigned char* plane = static_cast<unsigned char*>(output) + disk_plane_offset(desc);
  int result = normalize_luminance(&desc, &param, plane, FlatPlane::kMidTone);
  if (result >= 0) {
    print_finish_marks(k, stats);
    ImageDesc interleaved = desc;
    interleaved.planes = 0;
    RowLayout layout = output_layout(
        interleaved, planar ? static_cast<int64_t>(desc.width) * desc.spp : desc.rowStride);
    result = finish_rows(k, layout, expTable, nullptr, RowSource{next_disk_row, &rows}, plane,
                         output);
    if (result >= 0 && planar) {
      result = rgb_interleaved2color_planes(&desc, scratch.get(), output);
    }
  }

  std::fclose(file);
  if (result >= 0) remove_file(files.inFile);
  return result;
}

}  // namespace lftm
