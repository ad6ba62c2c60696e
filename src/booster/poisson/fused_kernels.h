// The passes of one conjugate-gradient iteration with each dot product fused into the pass
// that produces its operands. They return exactly what the plain sequence of kernels
// returns (same elements, same blocks, same order of every float sum), with less memory
// traffic.
#ifndef LFTM_BOOSTER_POISSON_FUSED_KERNELS_H_
#define LFTM_BOOSTER_POISSON_FUSED_KERNELS_H_

namespace lftm {

// apply_operator(threads, w, h, wrapsAround, p, q), then vec_dot(threads, w x h, q, p).
float apply_dot(int threads, int w, int h, bool wrapsAround, const float* p, float* q);

// vec_axpy(x += alpha p), vec_axpy(r += -alpha q), then vec_dot(threads, n, r, r).
float update_dot(int threads, int n, float alpha, const float* p, const float* q, float* x,
                 float* r);

// vec_axpy(threads, n, r, beta, p, p) (the new search direction), then
// apply_dot(threads, ..., p, q).
float update_apply_dot(int threads, int w, int h, bool wrapsAround, const float* r, float beta,
                       float* p, float* q);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_FUSED_KERNELS_H_
