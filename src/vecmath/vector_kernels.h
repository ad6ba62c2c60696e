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
#define LFTM_TARGET_AVX512 \
  __attribute__((target("avx512f,avx512vl,avx512dq,avx512bw,avx2,fma")))
// The lane functions are inlined into their loops whatever their size: a call would pass
// every vector through memory.
#define LFTM_LANES_INLINE inline __attribute__((always_inline))

namespace lftm {

// Table look-ups of four lanes by loading each lane's row and transposing: on the processors
// at hand this is several times faster than the gather instructions.

// Columns 0 and 1 of rows at[0..3] of a table of two-double rows.
LFTM_TARGET_AVX2_FMA LFTM_LANES_INLINE void rows_of_two(const double* table, const int64_t at[4],
                                             __m256d* c0, __m256d* c1) {
  __m256d a = _mm256_castpd128_pd256(_mm_loadu_pd(table + 2 * at[0]));
  a = _mm256_insertf128_pd(a, _mm_loadu_pd(table + 2 * at[2]), 1);
  __m256d b = _mm256_castpd128_pd256(_mm_loadu_pd(table + 2 * at[1]));
  b = _mm256_insertf128_pd(b, _mm_loadu_pd(table + 2 * at[3]), 1);
  *c0 = _mm256_unpacklo_pd(a, b);
  *c1 = _mm256_unpackhi_pd(a, b);
}

// Columns 0, 2 and 3 of rows at[0..3] of a table of four-double rows.
LFTM_TARGET_AVX2_FMA LFTM_LANES_INLINE void rows_of_four(const double* table, const int64_t at[4],
                                              __m256d* c0, __m256d* c2, __m256d* c3) {
  const __m256d r0 = _mm256_loadu_pd(table + 4 * at[0]);
  const __m256d r1 = _mm256_loadu_pd(table + 4 * at[1]);
  const __m256d r2 = _mm256_loadu_pd(table + 4 * at[2]);
  const __m256d r3 = _mm256_loadu_pd(table + 4 * at[3]);
  const __m256d lo01 = _mm256_unpacklo_pd(r0, r1);
  const __m256d hi01 = _mm256_unpackhi_pd(r0, r1);
  const __m256d lo23 = _mm256_unpacklo_pd(r2, r3);
  const __m256d hi23 = _mm256_unpackhi_pd(r2, r3);
  *c0 = _mm256_permute2f128_pd(lo01, lo23, 0x20);
  *c2 = _mm256_permute2f128_pd(lo01, lo23, 0x31);
  *c3 = _mm256_permute2f128_pd(hi01, hi23, 0x31);
}

// The row numbers of four 32-bit or 64-bit lanes.
LFTM_TARGET_AVX2_FMA LFTM_LANES_INLINE void row_numbers(__m128i lanes, int64_t at[4]) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), _mm256_cvtepi32_epi64(lanes));
}

LFTM_TARGET_AVX2_FMA LFTM_LANES_INLINE void row_numbers(__m256i lanes, int64_t at[4]) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), lanes);
}

// A 16-row, two-column table of doubles as four registers: column 0 rows 0-7 and 8-15,
// column 1 rows 0-7 and 8-15, for _mm512_permutex2var_pd.
struct TableColumns16 {
  __m512d c0lo, c0hi, c1lo, c1hi;
};

// The columns of a table stored row by row {c0, c1}, 32 doubles.
LFTM_TARGET_AVX512 LFTM_LANES_INLINE TableColumns16 table_columns16(const double* rows) {
  const __m512i even = _mm512_setr_epi64(0, 2, 4, 6, 8, 10, 12, 14);
  const __m512i odd = _mm512_setr_epi64(1, 3, 5, 7, 9, 11, 13, 15);
  const __m512d r0 = _mm512_loadu_pd(rows), r1 = _mm512_loadu_pd(rows + 8);
  const __m512d r2 = _mm512_loadu_pd(rows + 16), r3 = _mm512_loadu_pd(rows + 24);
  return {_mm512_permutex2var_pd(r0, even, r1), _mm512_permutex2var_pd(r2, even, r3),
          _mm512_permutex2var_pd(r0, odd, r1), _mm512_permutex2var_pd(r2, odd, r3)};
}

bool cpu_has_avx2_fma();
bool cpu_has_avx512();

// pow's table path takes exponents with 2^-65 <= |y| < 2^63; the library handles the others
// apart, so the kernels pass them to it whole.
bool pow_exponent_in_table_range(double y);

void logf_avx2(const float* x, float* out, size_t n);
void powf_avx2(const float* x, float y, float* out, size_t n);
void powf_pairs_avx2(const float* x, const float* y, float* out, size_t n);
void pow_avx2(const double* x, double y, double* out, size_t n);

// The same with AVX-512 (F, VL, DQ, BW) lanes; call them only when cpu_has_avx512() is true.
void logf_avx512(const float* x, float* out, size_t n);
void powf_avx512(const float* x, float y, float* out, size_t n);
void powf_pairs_avx512(const float* x, const float* y, float* out, size_t n);
void pow_avx512(const double* x, double y, double* out, size_t n);

}  // namespace lftm

#endif  // LFTM_VECMATH_VECTOR_KERNELS_H_
