// logf eight lanes at a time with AVX-512: the same steps as logf_avx2.cc, with the 16-entry
// table held in registers and read by permutes.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "vecmath/libm_tables.h"
#include "vecmath/scalar_lanes.h"
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

using LogfLanes = ScalarLanes<float, 8>;

// Vectors [begin, end) of x (there is no y), noting the lanes the table path leaves out. Not
// inlined, so that no call shares the function with the loop.
LFTM_TARGET_AVX512 __attribute__((noinline))
void logf_block(const float* x, const float*, float* out, size_t begin, size_t end,
                LogfLanes& lanes) {
  const TableColumns16 t = table_columns16(kLogfTable);
  for (size_t i = begin; i < end; i += 8) {
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + i));
    __mmask8 scalar;
    _mm256_storeu_ps(out + i, logf8(in, t, &scalar));
    if (scalar != 0) {
      LogfLanes::Vector& keep = lanes.note(i, scalar);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(keep.x), in);
      _mm256_storeu_ps(keep.y, _mm256_setzero_ps());  // unused, but read
    }
  }
}

float logf_call(float x, float) { return std::log(x); }

}  // namespace

void logf_avx512(const float* x, float* out, size_t n) {
  run_in_blocks<float, 8>(x, nullptr, 0, out, n, n, logf_block, logf_call);
}

}  // namespace lftm
