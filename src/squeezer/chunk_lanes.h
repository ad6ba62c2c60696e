// SPDX-License-Identifier: BSD-3-Clause
// The Range Squeezer's reading and adaptation passes for a run of pixels, on vector lanes
// where the processor has them. Only conversions, products and sums, in the order of the
// pixel-by-pixel formulas, so every lane gives the bits of the scalar computation.
#ifndef LFTM_SQUEEZER_CHUNK_LANES_H_
#define LFTM_SQUEEZER_CHUNK_LANES_H_

#include <cstddef>
#include <cstdint>

namespace lftm {

// The mantissa bytes of n RGBE pixels as floats, and the scale expTable[e] of each exponent.
void rgbe_mantissas(const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                    const uint8_t* exponent, const float* expTable, size_t n, float* r, float* g,
                    float* b, float* unit);

// The constants of the adaptation level A = globalPart + blend x Y.
struct AdaptationScale {
  float globalPart;  // (1 - blend) x the geometric mean luminance
  float blend;
  double k;  // the response scale, multiplied with A in double
};

// kA[i] = k x A of each pixel, with Y the float of 0.2126 r + 0.7152 g + 0.0722 b (in
// double), multiplied by unit[i] when unit is not null.
void adaptation_products(const float* r, const float* g, const float* b, const float* unit,
                         size_t n, const AdaptationScale& a, double* kA);

}  // namespace lftm

#endif  // LFTM_SQUEEZER_CHUNK_LANES_H_
