// The AVX2 + FMA kernels behind vecmath.h. They follow the C library's double-precision steps
// operation for operation, fusing exactly the multiply-adds that its FMA build fuses, and hand
// the lanes its table path does not cover (zero, negative, subnormal, infinite or NaN input,
// results near overflow or underflow) to the scalar call. Call them only when
// cpu_has_avx2_fma() is true.
#ifndef LFTM_VECMATH_VECTOR_KERNELS_H_
#define LFTM_VECMATH_VECTOR_KERNELS_H_

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

// Kernels are compiled for AVX2 + FMA one function at a time, so the rest of the library
// keeps the baseline instruction set.
#define LFTM_TARGET_AVX2_FMA __attribute__((target("avx2,fma")))

namespace lftm {

// Table look-ups of four lanes. The masked forms with a zero source keep GCC from warning
// about the undefined source of the plain ones.
LFTM_TARGET_AVX2_FMA inline __m256d gather4(const double* base, __m128i index) {
  const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
  return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), base, index, all, 8);
}

LFTM_TARGET_AVX2_FMA inline __m256d gather4(const double* base, __m256i index) {
  const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
  return _mm256_mask_i64gather_pd(_mm256_setzero_pd(), base, index, all, 8);
}

LFTM_TARGET_AVX2_FMA inline __m256i gather4(const uint64_t* base, __m256i index) {
  const auto* b = reinterpret_cast<const long long*>(base);
  return _mm256_mask_i64gather_epi64(_mm256_setzero_si256(), b, index, _mm256_set1_epi64x(-1), 8);
}

bool cpu_has_avx2_fma();

void logf_avx2(const float* x, float* out, size_t n);
void powf_avx2(const float* x, float y, float* out, size_t n);
void powf_pairs_avx2(const float* x, const float* y, float* out, size_t n);
void pow_avx2(const double* x, double y, double* out, size_t n);

}  // namespace lftm

#endif  // LFTM_VECMATH_VECTOR_KERNELS_H_
