// SPDX-License-Identifier: BSD-3-Clause
// Four floats operated on element by element (the compiler's vector extension): each element
// gets exactly the float operations of the scalar code, so a loop over quads gives the bits of
// the plain loop, on every target (SSE2 at least on x86-64, NEON on 64-bit Arm).
#ifndef LFTM_BOOSTER_POISSON_FLOAT_QUAD_H_
#define LFTM_BOOSTER_POISSON_FLOAT_QUAD_H_

#include <cstring>

namespace lftm {

typedef float FloatQuad __attribute__((vector_size(16)));

inline FloatQuad load_quad(const float* at) {
  FloatQuad v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

inline void store_quad(float* at, FloatQuad v) { std::memcpy(at, &v, sizeof v); }

inline FloatQuad quad_of(float v) { return FloatQuad{v, v, v, v}; }

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_FLOAT_QUAD_H_
