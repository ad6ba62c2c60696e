// SPDX-License-Identifier: BSD-3-Clause
// The partial sums of a dot product inside one block of the solver's summation order: a fixed
// count of kSumLanes float sums, offset k of the block going to lane k mod kSumLanes, each lane
// summed in position order from 0. A block's sum folds the lanes pairwise, lane k taking
// lane k + 8, then k + 4, k + 2 and k + 1. The lane count is a constant, not the processor's
// vector width, so the bits are the same on every machine; four vectors of four floats hold
// the lanes, which every target has (the fold and the products are plain float operations,
// element by element, so a vector step gives the bits of the scalar one).
#ifndef LFTM_BOOSTER_POISSON_LANE_SUMS_H_
#define LFTM_BOOSTER_POISSON_LANE_SUMS_H_

#include <cstdint>

#include "booster/poisson/float_quad.h"

namespace lftm {

constexpr int kSumLanes = 16;

class LaneSums {
 public:
  // Adds a[i] x b[i] for i in [0, count), position 0 going to lane `phase`.
  void add(int phase, const float* a, const float* b, int64_t count) {
    int64_t i = 0;
    for (; i < count && phase != 0; ++i, phase = (phase + 1) % kSumLanes) {
      add_one(phase, a[i] * b[i]);
    }
    add_aligned(a + i, b + i, (count - i) / kSumLanes);
    for (i += (count - i) / kSumLanes * kSumLanes; i < count; ++i, ++phase) {
      add_one(phase, a[i] * b[i]);
    }
  }

  // The lanes folded pairwise into one sum.
  float fold() const {
    const FloatQuad low = quad_[0] + quad_[2];   // lane k plus lane k + 8, k in 0..3
    const FloatQuad high = quad_[1] + quad_[3];  // the same for k in 4..7
    const FloatQuad four = low + high;           // then lane k plus lane k + 4
    return (four[0] + four[2]) + (four[1] + four[3]);
  }

  void clear() { *this = LaneSums(); }

 private:
  void add_one(int lane, float product) {
    quad_[lane / 4][lane % 4] = quad_[lane / 4][lane % 4] + product;
  }

  // Whole groups of kSumLanes positions starting at lane 0, in registers.
  void add_aligned(const float* a, const float* b, int64_t groups) {
    FloatQuad s0 = quad_[0], s1 = quad_[1], s2 = quad_[2], s3 = quad_[3];
    for (int64_t g = 0; g < groups; ++g, a += kSumLanes, b += kSumLanes) {
      s0 = s0 + load_quad(a) * load_quad(b);
      s1 = s1 + load_quad(a + 4) * load_quad(b + 4);
      s2 = s2 + load_quad(a + 8) * load_quad(b + 8);
      s3 = s3 + load_quad(a + 12) * load_quad(b + 12);
    }
    quad_[0] = s0;
    quad_[1] = s1;
    quad_[2] = s2;
    quad_[3] = s3;
  }

  FloatQuad quad_[4] = {};  // lanes 4k .. 4k + 3 in quad_[k]
};

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_LANE_SUMS_H_
