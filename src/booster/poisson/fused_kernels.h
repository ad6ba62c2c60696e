// SPDX-License-Identifier: BSD-3-Clause
// The passes of one conjugate-gradient iteration with each dot product fused into the pass
// that produces its operands. They return exactly what the plain sequence of kernels
// returns (same elements, same blocks, same order of every float sum), with less memory
// traffic.
#ifndef LFTM_BOOSTER_POISSON_FUSED_KERNELS_H_
#define LFTM_BOOSTER_POISSON_FUSED_KERNELS_H_

namespace lftm {

// With q = A p (apply_operator), which none of them stores:

// vec_dot(threads, w x h, q, p), printing apply_operator's sample lines.
float apply_dot(int threads, int w, int h, bool wrapsAround, const float* p);

// vec_axpy(x += alpha p), vec_axpy(r += -alpha q), then vec_dot(threads, n, r, r).
float update_dot(int threads, int w, int h, bool wrapsAround, float alpha, const float* p,
                 float* x, float* r);

// vec_axpy(threads, n, r, beta, p, p) (the new search direction), then
// apply_dot(threads, ..., p).
float update_apply_dot(int threads, int w, int h, bool wrapsAround, const float* r, float beta,
                       float* p);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_FUSED_KERNELS_H_
