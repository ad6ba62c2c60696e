// logf four lanes at a time: x = 2^k z with z near a table point c, and
// log(x) = k ln2 + log(c) + log1p(z/c - 1), all in double precision.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "vecmath/libm_tables.h"
#include "vecmath/scalar_lanes.h"
#include "vecmath/vector_kernels.h"

namespace lftm {
namespace {

// Lanes whose bit is set in *scalar need the scalar call: zero, negative, subnormal,
// infinite and NaN inputs, and 1, whose zero the library returns directly.
LFTM_TARGET_AVX2_FMA LFTM_LANES_INLINE __m128 logf4(__m128i ix, int* scalar) {
  const __m128i flip = _mm_set1_epi32(INT32_MIN);  // unsigned compares through signed ones
  const __m128i off = _mm_xor_si128(_mm_sub_epi32(ix, _mm_set1_epi32(0x00800000)), flip);
  __m128i bad = _mm_cmpgt_epi32(off, _mm_xor_si128(_mm_set1_epi32(0x7effffff), flip));
  bad = _mm_or_si128(bad, _mm_cmpeq_epi32(ix, _mm_set1_epi32(0x3f800000)));
  *scalar = _mm_movemask_ps(_mm_castsi128_ps(bad));

  const __m128i tmp = _mm_sub_epi32(ix, _mm_set1_epi32(0x3f330000));
  int64_t row[4];
  row_numbers(_mm_and_si128(_mm_srli_epi32(tmp, 19), _mm_set1_epi32(15)), row);
  const __m128i k = _mm_srai_epi32(tmp, 23);
  const __m128i iz =
      _mm_sub_epi32(ix, _mm_and_si128(tmp, _mm_set1_epi32(static_cast<int>(0xff800000u))));
  const __m256d z = _mm256_cvtps_pd(_mm_castsi128_ps(iz));
  __m256d invc, logc;
  rows_of_two(kLogfTable, row, &invc, &logc);

  const __m256d y0 = _mm256_fmadd_pd(_mm256_cvtepi32_pd(k), _mm256_set1_pd(kLogfLn2), logc);
  const __m256d r = _mm256_fmadd_pd(z, invc, _mm256_set1_pd(-1.0));
  __m256d p = _mm256_fmadd_pd(r, _mm256_set1_pd(kLogfPoly[1]), _mm256_set1_pd(kLogfPoly[2]));
  const __m256d r2 = _mm256_mul_pd(r, r);
  const __m256d sum = _mm256_add_pd(r, y0);
  p = _mm256_fmadd_pd(r2, _mm256_set1_pd(kLogfPoly[0]), p);
  return _mm256_cvtpd_ps(_mm256_fmadd_pd(r2, p, sum));
}

using LogfLanes = ScalarLanes<float, 8>;

// Vectors [begin, end) of x (there is no y), noting the lanes the table path leaves out. Not
// inlined, so that no call shares the function with the loop.
LFTM_TARGET_AVX2_FMA __attribute__((noinline))
void logf_block(const float* x, const float*, float* out, size_t begin, size_t end,
                LogfLanes& lanes) {
  for (size_t i = begin; i < end; i += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i + 4));
    int scalarA, scalarB;
    _mm_storeu_ps(out + i, logf4(a, &scalarA));
    _mm_storeu_ps(out + i + 4, logf4(b, &scalarB));
    if ((scalarA | scalarB) != 0) {
      LogfLanes::Vector& keep = lanes.note(i, static_cast<uint32_t>(scalarA | scalarB << 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(keep.x), a);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(keep.x + 4), b);
      _mm256_storeu_ps(keep.y, _mm256_setzero_ps());  // unused, but read
    }
  }
}

float logf_call(float x, float) { return std::log(x); }

}  // namespace

void logf_avx2(const float* x, float* out, size_t n) {
  run_in_blocks<float, 8>(x, nullptr, 0, out, n, n, logf_block, logf_call);
}

}  // namespace lftm
