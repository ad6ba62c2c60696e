// SPDX-License-Identifier: BSD-3-Clause
// Bilinear enlargement of a float plane.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "lftm.h"
#include "platform/diag.h"
#include "platform/sizes.h"

namespace {

// One destination value and the terms it was made of (the trace lines print them).
struct BilinearSample {
  int32_t x0, y0;
  float fx, fy;
  float w00, w10, w01, w11;
  float p00;
  float value;
};

// Bilinear value at source position (scale x k, scale x i); neighbours past the last column
// or row of the source repeat it.
inline BilinearSample bilinear_sample(const float* src, int32_t srcWidth, int32_t srcHeight,
                                      float sx, float sy, int32_t k, int32_t i) {
  BilinearSample s;
  s.fy = sy * static_cast<float>(i);
  s.y0 = std::min(static_cast<int32_t>(s.fy), srcHeight - 1);
  const float v = s.fy - static_cast<float>(s.y0);
  s.fx = sx * static_cast<float>(k);
  s.x0 = std::min(static_cast<int32_t>(s.fx), srcWidth - 1);
  const float u = s.fx - static_cast<float>(s.x0);
  const int32_t x1 = std::min(s.x0 + 1, srcWidth - 1);
  const int32_t y1 = std::min(s.y0 + 1, srcHeight - 1);
  const float* row0 = src + static_cast<size_t>(srcWidth) * s.y0;
  const float* row1 = src + static_cast<size_t>(srcWidth) * y1;
  s.w00 = (1 - u) * (1 - v);
  s.w10 = u * (1 - v);
  s.w01 = (1 - u) * v;
  s.w11 = u * v;
  s.p00 = row0[s.x0];
  s.value = s.w00 * s.p00 + s.w10 * row0[x1] + s.w01 * row1[s.x0] + s.w11 * row1[x1];
  return s;
}

void trace_sample(const BilinearSample& s, int32_t k, int32_t i) {
  lftm::diag_err(
      "%d,%d   %d %1.2f  %d %1.2f    %1.2f %1.2f %1.2f %1.2f   -  %1.2f -> %1.2f\n", k, i,
      s.x0, static_cast<double>(s.fx), s.y0, static_cast<double>(s.fy),
      static_cast<double>(s.w00), static_cast<double>(s.w10), static_cast<double>(s.w01),
      static_cast<double>(s.w11), static_cast<double>(s.p00), static_cast<double>(s.value));
}

}  // namespace

extern "C" int32_t tm300(int32_t srcWidth, int32_t srcHeight, int32_t dstWidth,
                         int32_t dstHeight, const float* src, float* dst) {
  // The trace test divides by half the destination size, and the last row and column are
  // copies of the ones before: a destination needs two rows and two columns.
  size_t srcSize = 0;
  size_t dstSize = 0;
  if (srcWidth < 1 || srcHeight < 1 || dstWidth < 2 || dstHeight < 2 ||
      !lftm::checked_product(srcWidth, srcHeight, 1, &srcSize) ||
      !lftm::checked_product(dstWidth, dstHeight, 1, &dstSize))
    return LFTM_ERR_FILE;

  const float sx = static_cast<float>(srcWidth) / static_cast<float>(dstWidth);
  const float sy = static_cast<float>(srcHeight) / static_cast<float>(dstHeight);
  lftm::diag_err("upsampling %d x %d  to %d x %d   -  scale %1.2f  %1.2f\n", srcWidth,
                 srcHeight, dstWidth, dstHeight, static_cast<double>(sx),
                 static_cast<double>(sy));

  const int32_t traceColumns = dstWidth / 2;
  const int32_t traceRows = dstHeight / 2;
  const size_t width = static_cast<size_t>(dstWidth);
  for (int32_t i = 0; i < dstHeight - 1; ++i) {
    float* row = dst + width * i;
    for (int32_t k = 0; k < dstWidth - 1; ++k) {
      row[k] = bilinear_sample(src, srcWidth, srcHeight, sx, sy, k, i).value;
    }
    row[dstWidth - 1] = row[dstWidth - 2];
    // Trace a few samples (columns and rows 2 past each half); recomputed here to keep the
    // printing out of the pixel loop.
    if (i % traceRows == 2) {
      for (int32_t k = 2; k < dstWidth - 1; k += traceColumns) {
        if (k % traceColumns == 2)
          trace_sample(bilinear_sample(src, srcWidth, srcHeight, sx, sy, k, i), k, i);
      }
    }
  }

  const size_t lastRow = width * static_cast<size_t>(dstHeight - 1);
  lftm::diag_err("upsampling positOut: %d\n", static_cast<int32_t>(lastRow));
  std::memcpy(dst + lastRow, dst + lastRow - width, width * sizeof(float));
  return static_cast<int32_t>(dstSize);
}
