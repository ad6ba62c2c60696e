// SPDX-License-Identifier: BSD-3-Clause
// Preview reduced by a power of two n: every n-th pixel of every n-th row.
#include <cstddef>
#include <cstdint>

#include "lftm.h"
#include "platform/diag.h"
#include "platform/sizes.h"
#include "preview/preview_layout.h"

namespace {

constexpr int32_t kNotAHalving = LFTM_ERR_NOT_HALVING;

// floor(log2(value)) for value >= 1, in integers so that powers of two are exact.
int32_t floor_log2(int64_t value) {
  int32_t bits = 0;
  while (value >= 2) {
    value >>= 1;
    ++bits;
  }
  return bits;
}

// The sampling step: 1 when the output is the image size, else 2^r where r halvings (each
// rounding up) bring the image to the output size; kNotAHalving when none does.
int32_t reduction_step(int32_t width, int32_t height, int32_t outWidth, int32_t outHeight) {
  if (outWidth == width && outHeight == height) return 1;
  const int32_t maxRounds = floor_log2((static_cast<int64_t>(width) + height) / 2);
  int32_t w = width;
  int32_t h = height;
  int32_t rounds = 0;
  while (rounds < maxRounds) {
    if (w > 3 && h > 3) {
      w = w / 2 + w % 2;
      h = h / 2 + h % 2;
    }
    lftm::diag_out("extract_qv  k: %d     %d x %d  \n", rounds, w, h);
    ++rounds;
    if (outWidth >= w) break;
  }
  if (outWidth != w || outHeight != h) return kNotAHalving;
  return int32_t{1} << rounds;
}

void reduce_rgbe(int32_t width, int32_t outWidth, int32_t outHeight, int32_t sampleStep,
                 const uint8_t* src, uint8_t* dst) {
  const size_t inRow = 4 * static_cast<size_t>(width);
  const size_t outRow = 4 * static_cast<size_t>(outWidth);
  for (int32_t o = 0; o < outHeight; ++o) {
    const uint8_t* from = src + inRow * (static_cast<size_t>(o) * sampleStep);
    uint8_t* to = dst + outRow * o;
    for (int32_t plane = 0; plane < 4; ++plane) {
      const uint8_t* fromPlane = from + static_cast<size_t>(plane) * width;
      uint8_t* toPlane = to + static_cast<size_t>(plane) * outWidth;
      for (int32_t j = 0; j < outWidth; ++j) {
        toPlane[j] = fromPlane[static_cast<size_t>(j) * sampleStep];
      }
    }
  }
}

// Interleaved samples in, packed samples out (outWidth x pixStep a row).
template <typename Sample>
void reduce_interleaved(int32_t pixStep, int32_t rowStride, int32_t outWidth, int32_t outHeight,
                        int32_t sampleStep, const Sample* src, Sample* dst) {
  const size_t step = static_cast<size_t>(sampleStep) * pixStep;
  for (int32_t o = 0; o < outHeight; ++o) {
    const Sample* from =
        src + static_cast<size_t>(rowStride) * (static_cast<size_t>(o) * sampleStep);
    Sample* to = dst + static_cast<size_t>(outWidth) * o * pixStep;
    for (int32_t j = 0; j < outWidth; ++j) {
      lftm::copy_three_samples(from + step * j, to + static_cast<size_t>(j) * pixStep, pixStep);
    }
  }
}

// The buffers of the chosen layout can be addressed in 32 bits (other types are refused later).
bool layout_fits(int32_t type, int32_t width, int32_t height, int32_t pixStep,
                 int32_t rowStride, int32_t outWidth, int32_t outHeight) {
  if (type == LFTM_DOC_RGBE)
    return lftm::rgbe_planar_fits(width, height) && lftm::rgbe_planar_fits(outWidth, outHeight);
  if (type == LFTM_DOC_U16 || type == LFTM_DOC_U8) {
    size_t packed = 0;
    return lftm::interleaved_fits(width, height, pixStep, rowStride) &&
           lftm::checked_product(outWidth, outHeight, pixStep, &packed);
  }
  return true;
}

}  // namespace

extern "C" int32_t extract_base_preview(int32_t type, int32_t width, int32_t height,
                                        int32_t pixStep, int32_t rowStride, int32_t outWidth,
                                        int32_t outHeight, const uint8_t* srcRgbe,
                                        const uint16_t* src16, const uint8_t* src8,
                                        void* dst) {
  if (!lftm::preview_sides_ok(width, height, outWidth, outHeight) ||
      !layout_fits(type, width, height, pixStep, rowStride, outWidth, outHeight))
    return LFTM_ERR_FILE;

  const int32_t sampleStep = reduction_step(width, height, outWidth, outHeight);
  if (sampleStep < 0) return sampleStep;
  // The printed line keeps its old word for the step.
  lftm::diag_out("extract_qv  In: %d x %d    out:  %d x %d   pas: %d\n ", width, height,
                 outWidth, outHeight, sampleStep);

  switch (type) {
    case LFTM_DOC_RGBE:
      reduce_rgbe(width, outWidth, outHeight, sampleStep, srcRgbe, static_cast<uint8_t*>(dst));
      break;
    case LFTM_DOC_U16:
      reduce_interleaved(pixStep, rowStride, outWidth, outHeight, sampleStep, src16,
                         static_cast<uint16_t*>(dst));
      break;
    case LFTM_DOC_U8:
      reduce_interleaved(pixStep, rowStride, outWidth, outHeight, sampleStep, src8,
                         static_cast<uint8_t*>(dst));
      break;
    default:
      return 0;
  }
  return outHeight;
}
