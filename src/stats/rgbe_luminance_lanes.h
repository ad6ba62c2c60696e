// SPDX-License-Identifier: BSD-3-Clause
// The Range Squeezer statistics' luminances of RGBE planar pixels, on vector lanes where the
// processor has them: the products and sums of the scalar formula in its order, so every lane
// gives the scalar bits.
#ifndef LFTM_STATS_RGBE_LUMINANCE_LANES_H_
#define LFTM_STATS_RGBE_LUMINANCE_LANES_H_

#include <cstddef>
#include <cstdint>

namespace lftm {

// out[k] = luminance_squeezer(red[k], green[k], blue[k]) x expTable[exponent[k]] (a float
// product), or +0 for a pixel without light (exponent 0, or a luminance not above 0). A lit
// pixel's value is never 0: the smallest is about 0.07 x 2^-135, a subnormal float.
void rgbe_luminances(const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                     const uint8_t* exponent, const float* expTable, size_t n, float* out);

}  // namespace lftm

#endif  // LFTM_STATS_RGBE_LUMINANCE_LANES_H_
