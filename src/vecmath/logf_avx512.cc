// logf eight lanes at a time with AVX-512: the same steps as logf_avx2.cc, with the 16-entry
// table held in registers and read by permutes.
#include <immintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "vecmath/libm_tables.h"
#include "vecmath/vector_kernels.h"

namespace lftm {
namespace {

// Lanes set in *scalar need the scalar call (see logf4 in logf_avx2.cc).
LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m256 logf8(__m256i ix, const TableColumns16& t,
                                                  __mmask8* scalar) {
  *scalar = _mm256_cmp_epu32_mask(_mm256_sub_epi32(ix, _mm256_set1_epi32(0x00800000)),
                                  _mm256_set1_epi32(0x7effffff), _MM_CMPINT_NLE) |
            _mm256_cmpeq_epi32_mask(ix, _mm256_set1_epi32(0x3f800000));

  const __m256i tmp = _mm256_sub_epi32(ix, _mm256_set1_epi32(0x3f330000));
  const __m512i row = _mm512_cvtepi32_epi64(
      _mm256_and_si256(_mm256_srli_epi32(tmp, 19), _mm256_set1_epi32(15)));
  const __m256i k = _mm256_srai_epi32(tmp, 23);
  const __m256i iz =
      _mm256_sub_epi32(ix, _mm256_and_si256(tmp, _mm256_set1_epi32(static_cast<int>(0xff800000u))));
  const __m512d z = _mm512_cvtps_pd(_mm256_castsi256_ps(iz));
  const __m512d invc = _mm512_permutex2var_pd(t.c0lo, row, t.c0hi);
  const __m512d logc = _mm512_permutex2var_pd(t.c1lo, row, t.c1hi);

  const __m512d y0 = _mm512_fmadd_pd(_mm512_cvtepi32_pd(k), _mm512_set1_pd(kLogfLn2), logc);
  const __m512d r = _mm512_fmadd_pd(z, invc, _mm512_set1_pd(-1.0));
  __m512d p = _mm512_fmadd_pd(r, _mm512_set1_pd(kLogfPoly[1]), _mm512_set1_pd(kLogfPoly[2]));
  const __m512d r2 = _mm512_mul_pd(r, r);
  const __m512d sum = _mm512_add_pd(r, y0);
  p = _mm512_fmadd_pd(r2, _mm512_set1_pd(kLogfPoly[0]), p);
  return _mm512_cvtpd_ps(_mm512_fmadd_pd(r2, p, sum));
}

}  // namespace

LFTM_TARGET_AVX512 void logf_avx512(const float* x, float* out, size_t n) {
  const TableColumns16 t = table_columns16(kLogfTable);
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + i));
    __mmask8 scalar;
    const __m256 res = logf8(in, t, &scalar);
    if (scalar == 0) {
      _mm256_storeu_ps(out + i, res);
      continue;
    }
    // The inputs are kept apart because out may be x.
    float keep[8], lanes[8];
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(keep), in);
    _mm256_storeu_ps(lanes, res);
    for (int j = 0; j < 8; ++j) {
      if (scalar >> j & 1) lanes[j] = std::log(keep[j]);
    }
    std::memcpy(out + i, lanes, sizeof lanes);
  }
  for (; i < n; ++i) out[i] = std::log(x[i]);
}

}  // namespace lftm
