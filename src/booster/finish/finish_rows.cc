// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/finish_rows.h"

#include <algorithm>
#include <cstring>

#include "booster/finish/finish_run.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

// Scaled to the sample range, capped, negatives (and NaN) to 0, truncated.
template <typename Sample>
inline Sample quantise(float o, float maxOut) {
  float v = o * maxOut;
  if (v > maxOut) v = maxOut;
  if (!(v >= 0)) v = 0;
  return static_cast<Sample>(v);
}

inline float load_float(const unsigned char* bytes, size_t i) {
  float v;
  std::memcpy(&v, bytes + i * sizeof(float), sizeof v);
  return v;
}

// Source colour of pixel x of a row; false when an RGBE exponent marks it black.
inline bool read_source(int docType, const unsigned char* row, int width, int spp,
                        const int chan[3], const float* lut, int x, float rgb[3], int* e) {
  switch (docType) {
    case 0:
      *e = row[3 * width + x];
      rgb[0] = row[x];
      rgb[1] = row[width + x];
      rgb[2] = row[2 * width + x];
      return *e != 0;
    case 1: {
      const auto* px = reinterpret_cast<const uint16_t*>(row) + static_cast<int64_t>(x) * spp;
      for (int c = 0; c < 3; ++c) rgb[c] = lut[px[chan[c]]];
      return true;
    }
    case 2: {
      const unsigned char* px = row + static_cast<int64_t>(x) * spp;
      for (int c = 0; c < 3; ++c) rgb[c] = lut[px[chan[c]]];
      return true;
    }
    case 10: {
      const auto* px = reinterpret_cast<const float*>(row) + static_cast<int64_t>(x) * spp;
      for (int c = 0; c < 3; ++c) rgb[c] = px[chan[c]];
      return true;
    }
    default:
      rgb[0] = rgb[1] = rgb[2] = 0;
      return true;
  }
}

template <typename Sample>
int finish_rows_as(const FinishConstants& k, const RowLayout& layout, RowBand rows,
                   const float* expTable, const float* lut, RowSource source,
                   const unsigned char* lum, Sample* out) {
  const int width = layout.width;
  const int height = layout.height;
  const int spp = layout.spp;
  // 16-bit output shows a few sample pixels; tiles too small to sample show none.
  const bool sampleLines = layout.bits == 16;
  const int rowPeriod = height / 4;
  const int colPeriod = width / 4;
  float lastOut[3] = {0, 0, 0};
  FinishRun run;
  size_t i = static_cast<size_t>(rows.first) * width;
  int64_t pos = rows.first * (static_cast<int64_t>(width) * layout.sppOut + layout.outRowGap);
  for (int y = rows.first; y < rows.first + rows.rows; ++y) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    run_progress(static_cast<double>(y) / height);
    const unsigned char* row = source.row(source.context, y);
    if (row == nullptr) return LFTM_ERR_IO;
    for (int x = 0; x < width; ++x, ++i, pos += layout.sppOut) {
      // The run of pixels that starts here is finished together (finish_run.h).
      const int j = x % kFinishRun;
      if (j == 0) {
        const int n = std::min(kFinishRun, width - x);
        for (int m = 0; m < n; ++m) {
          float rgb[3];
          int e = 0;
          run.read[m] =
              read_source(k.docType, row, width, spp, layout.sourceChannel, lut, x + m, rgb, &e);
          run.r[m] = rgb[0];
          run.g[m] = rgb[1];
          run.b[m] = rgb[2];
          run.e[m] = e;
          run.lum[m] = load_float(lum, i + m);
        }
        finish_run(k, expTable, n, &run);
      }
      if (!run.lit[j]) {
        for (int c = 0; c < 3; ++c) out[pos + layout.channel[c]] = 0;
        continue;
      }
      const FinishedPixel& px = run.px[j];
      if (sampleLines && rowPeriod > 0 && colPeriod > 0 && y % rowPeriod == 10 &&
          x % colPeriod == 10) {
        diag_out(" %1.2f  %1.2f  %1.2f   Lin: %1.2f  Y_out: %1.2f    %1.2f  %1.2f  %1.2f    "
                 "%d,%d %d\n",
                 px.r, px.g, px.b, px.y, px.yOut, lastOut[0], lastOut[1], lastOut[2], x, y,
                 static_cast<int>(pos));
      }
      for (int c = 0; c < 3; ++c) {
        out[pos + layout.channel[c]] = quantise<Sample>(px.o[c], k.maxOut);
        lastOut[c] = px.o[c];
      }
    }
    pos += layout.outRowGap;
  }
  return height;
}

}  // namespace

RowLayout output_layout(const ImageDesc& desc, int64_t outRowStride) {
  RowLayout layout;
  layout.width = desc.width;
  layout.height = desc.height;
  layout.spp = desc.spp;
  layout.bits = desc.bits;
  const int64_t rowSamples = static_cast<int64_t>(desc.width) * desc.spp;
  layout.sourceChannel[0] = desc.bgr != 0 ? desc.spp - 1 : 0;
  layout.sourceChannel[1] = (desc.spp - 1) / 2;
  layout.sourceChannel[2] = desc.bgr != 0 ? 0 : desc.spp - 1;
  if (desc.planes == 3) {
    const int64_t plane = static_cast<int64_t>(desc.width) * desc.height;
    layout.sppOut = 1;
    layout.outRowGap = 0;
    layout.channel[0] = 0;
    layout.channel[1] = plane;
    layout.channel[2] = 2 * plane;
  } else {
    layout.sppOut = desc.spp;
    layout.outRowGap = outRowStride - rowSamples;
    for (int c = 0; c < 3; ++c) layout.channel[c] = layout.sourceChannel[c];
  }
  return layout;
}

int finish_rows(const FinishConstants& k, const RowLayout& layout, const float* expTable,
                const float* lut, RowSource source, const unsigned char* lum, void* output,
                RowBand rows) {
  if (layout.bits == 16) {
    return finish_rows_as(k, layout, rows, expTable, lut, source, lum,
                          static_cast<uint16_t*>(output));
  }
  return finish_rows_as(k, layout, rows, expTable, lut, source, lum,
                        static_cast<uint8_t*>(output));
}

int finish_rows(const FinishConstants& k, const RowLayout& layout, const float* expTable,
                const float* lut, RowSource source, const unsigned char* lum, void* output) {
  return finish_rows(k, layout, expTable, lut, source, lum, output,
                     RowBand{0, layout.height});
}

}  // namespace lftm
