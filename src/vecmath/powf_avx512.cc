// powf eight lanes at a time with AVX-512: the same steps as powf_avx2.cc, with the 16-entry
// log2 table and the 32-entry exp2 table held in registers and read by permutes.
#include <immintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "vecmath/libm_tables.h"
#include "vecmath/vector_kernels.h"

namespace lftm {
namespace {

struct PowfTables {
  TableColumns16 log2;
  __m512i exp2[4];  // rows 0-7, 8-15, 16-23, 24-31
};

LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m512d set(double v) { return _mm512_set1_pd(v); }

// Lanes set in *scalar need the scalar call (see powf4 in powf_avx2.cc).
LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m256 powf8(__m256i ix, __m256 yf, const PowfTables& t,
                                                  __mmask8* scalar) {
  const __m256i iy = _mm256_castps_si256(yf);
  __mmask8 bad = _mm256_cmp_epu32_mask(_mm256_sub_epi32(ix, _mm256_set1_epi32(0x00800000)),
                                       _mm256_set1_epi32(0x7effffff), _MM_CMPINT_NLE);
  bad |= _mm256_cmp_epu32_mask(_mm256_sub_epi32(_mm256_add_epi32(iy, iy), _mm256_set1_epi32(1)),
                               _mm256_set1_epi32(static_cast<int>(0xfefffffeu)), _MM_CMPINT_NLE);

  // log2(x) = log2(c) + k + log1p(z/c - 1)/ln2
  const __m256i tmp = _mm256_sub_epi32(ix, _mm256_set1_epi32(0x3f330000));
  const __m512i row = _mm512_cvtepi32_epi64(
      _mm256_and_si256(_mm256_srli_epi32(tmp, 19), _mm256_set1_epi32(15)));
  const __m256i top = _mm256_and_si256(tmp, _mm256_set1_epi32(static_cast<int>(0xff800000u)));
  const __m512d z = _mm512_cvtps_pd(_mm256_castsi256_ps(_mm256_sub_epi32(ix, top)));
  const __m512d kd = _mm512_cvtepi32_pd(_mm256_srai_epi32(top, 23));
  const __m512d invc = _mm512_permutex2var_pd(t.log2.c0lo, row, t.log2.c0hi);
  const __m512d logc = _mm512_permutex2var_pd(t.log2.c1lo, row, t.log2.c1hi);
  const double* A = kPowfLog2Poly;
  const __m512d r = _mm512_fmadd_pd(z, invc, set(-1.0));
  const __m512d y0 = _mm512_add_pd(kd, logc);
  __m512d y = _mm512_fmadd_pd(r, set(A[0]), set(A[1]));
  const __m512d p = _mm512_fmadd_pd(r, set(A[2]), set(A[3]));
  const __m512d r2 = _mm512_mul_pd(r, r);
  __m512d q = _mm512_fmadd_pd(r, set(A[4]), y0);
  const __m512d r4 = _mm512_mul_pd(r2, r2);
  q = _mm512_fmadd_pd(r2, p, q);
  y = _mm512_fmadd_pd(y, r4, q);
  const __m512d ylogx = _mm512_mul_pd(_mm512_cvtps_pd(yf), y);

  const __m512i top16 = _mm512_and_si512(_mm512_srli_epi64(_mm512_castpd_si512(ylogx), 47),
                                         _mm512_set1_epi64(0xffff));
  *scalar = bad | _mm512_cmpgt_epu64_mask(top16, _mm512_set1_epi64(0x80be));

  // 2^ylogx = 2^(k/32) 2^r
  __m512d kd2 = _mm512_add_pd(ylogx, set(kExp2fShift));
  const __m512i ki = _mm512_castpd_si512(kd2);
  kd2 = _mm512_sub_pd(kd2, set(kExp2fShift));
  const __m512d rr = _mm512_sub_pd(ylogx, kd2);
  const __m512i upper = _mm512_permutex2var_epi64(t.exp2[2], ki, t.exp2[3]);
  const __m512i lower = _mm512_permutex2var_epi64(t.exp2[0], ki, t.exp2[1]);
  __m512i bits = _mm512_mask_blend_epi64(_mm512_test_epi64_mask(ki, _mm512_set1_epi64(16)),
                                         lower, upper);
  bits = _mm512_add_epi64(bits, _mm512_slli_epi64(ki, 47));
  const double* C = kExp2fPoly;
  const __m512d zz = _mm512_fmadd_pd(rr, set(C[0]), set(C[1]));
  const __m512d rr2 = _mm512_mul_pd(rr, rr);
  __m512d e = _mm512_fmadd_pd(rr, set(C[2]), set(1.0));
  e = _mm512_fmadd_pd(zz, rr2, e);
  return _mm512_cvtpd_ps(_mm512_mul_pd(e, _mm512_castsi512_pd(bits)));
}

LFTM_TARGET_AVX512 LFTM_LANES_INLINE PowfTables powf_tables() {
  PowfTables t;
  t.log2 = table_columns16(kPowfLog2Table);
  for (int i = 0; i < 4; ++i) t.exp2[i] = _mm512_loadu_si512(kExp2fTable + 8 * i);
  return t;
}

// Eight lanes from x and y (oneY: *y for all), with the scalar call for the lanes the table
// path leaves out.
LFTM_TARGET_AVX512 LFTM_LANES_INLINE void powf8_at(const float* x, const float* y, bool oneY,
                                                   const PowfTables& t, float* out) {
  const __m256 yv = oneY ? _mm256_set1_ps(*y) : _mm256_loadu_ps(y);
  const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x));
  __mmask8 scalar;
  const __m256 res = powf8(in, yv, t, &scalar);
  if (scalar == 0) {
    _mm256_storeu_ps(out, res);
    return;
  }
  // The inputs are kept apart because out may be x or y.
  float keep[8], ex[8], lanes[8];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(keep), in);
  _mm256_storeu_ps(ex, yv);
  _mm256_storeu_ps(lanes, res);
  for (int j = 0; j < 8; ++j) {
    if (scalar >> j & 1) lanes[j] = std::pow(keep[j], ex[j]);
  }
  std::memcpy(out, lanes, sizeof lanes);
}

}  // namespace

LFTM_TARGET_AVX512 void powf_avx512(const float* x, float y, float* out, size_t n) {
  const PowfTables t = powf_tables();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) powf8_at(x + i, &y, true, t, out + i);
  for (; i < n; ++i) out[i] = std::pow(x[i], y);
}

LFTM_TARGET_AVX512 void powf_pairs_avx512(const float* x, const float* y, float* out, size_t n) {
  const PowfTables t = powf_tables();
  size_t i = 0;
  for (; i + 8 <= n; i += 8) powf8_at(x + i, y + i, false, t, out + i);
  for (; i < n; ++i) out[i] = std::pow(x[i], y[i]);
}

}  // namespace lftm
