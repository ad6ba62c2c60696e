// SPDX-License-Identifier: BSD-3-Clause
// The Range Squeezer's response of one channel for a run of pixels, on vector lanes where the
// processor has them. Only plain IEEE operations (products, sums, a correctly rounded
// division, conversions) are used, in the order of the pixel-by-pixel formula, so every lane
// gives the bits of the scalar computation.
#ifndef LFTM_SQUEEZER_RESPONSE_LANES_H_
#define LFTM_SQUEEZER_RESPONSE_LANES_H_

#include <cstddef>

namespace lftm {

// The constants of the response mapped onto the output range.
struct ResponseScale {
  double ldrMax;  // largest output value
  float lo;       // response at the bottom of the output range
  float scale;    // ldrMax / (hi - lo)
};

// out[i] = (float(v ldrMax / (1e-20 + v + power[i])) - lo) x scale, with v the double of
// in[i] x unit[i] (a float product), or of in[i] when unit is null.
void channel_responses(const float* in, const float* unit, const double* power, size_t n,
                       const ResponseScale& s, float* out);

}  // namespace lftm

#endif  // LFTM_SQUEEZER_RESPONSE_LANES_H_
