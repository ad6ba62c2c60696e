// powf eight lanes at a time with AVX-512: the same steps as powf_avx2.cc, with the 16-entry
// log2 table and the 32-entry exp2 table held in registers and read by permutes.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "vecmath/libm_tables.h"
#include "vecmath/scalar_lanes.h"
#include "vecmath/vector_kernels.h"

namespace lftm {
namespace {

struct PowfTables {
  TableColumns16 log2;
  __m512i exp2[4];  // rows 0-7, 8-15, 16-23, 24-31
};

LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m512d set(double v) { return _mm512_set1_pd(v); }

// Exponents below this in magnitude keep |y log2 x| under 126 for every normal x (|log2 x| is
// at most 128), so that no lane needs the range check. The path gives the library's 1 for a
// zero y; an infinite or NaN y makes y log2 x infinite or NaN and fails the range check.
constexpr float kNoRangeCheckBelow = 0.96875f;

// powf of the lanes of x and y (yd: y widened). Lanes set in *scalar need the scalar call: x
// zero, negative, subnormal, infinite or NaN, and, when kCheckRange, |y log2 x| of 126 or more
// or NaN (overflow and underflow are decided there).
template <bool kCheckRange>
LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m256 powf8(__m256i ix, __m512d yd, const PowfTables& t,
                                                  __mmask8* scalar) {
  *scalar = _mm256_cmp_epu32_mask(_mm256_sub_epi32(ix, _mm256_set1_epi32(0x00800000)),
                                  _mm256_set1_epi32(0x7effffff), _MM_CMPINT_NLE);

  // log2(x) = log2(c) + k + log1p(z/c - 1)/ln2; the permutes read only the low four bits of
  // the row numbers.
  const __m256i tmp = _mm256_sub_epi32(ix, _mm256_set1_epi32(0x3f330000));
  const __m512i row = _mm512_cvtepi32_epi64(_mm256_srli_epi32(tmp, 19));
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
  const __m512d ylogx = _mm512_mul_pd(yd, y);

  if (kCheckRange) {
    *scalar |= _mm512_cmp_pd_mask(_mm512_abs_pd(ylogx), set(126.0), _CMP_NLT_UQ);
  }

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

using PowfLanes = ScalarLanes<float, 8>;

// Vectors [begin, end) of x and y (kOneY: y[0] for all), noting the lanes the table path leaves
// out. Not inlined, so that no call shares the function with the loop.
template <bool kOneY, bool kCheckRange>
LFTM_TARGET_AVX512 __attribute__((noinline))
void powf_block(const float* x, const float* y, float* out, size_t begin, size_t end,
                PowfLanes& lanes) {
  const PowfTables t = powf_tables();
  // One exponent: read before out is written (out may be y) and widened once.
  const __m256 oneY = _mm256_set1_ps(y[0]);
  const __m512d oneYd = _mm512_cvtps_pd(oneY);
  for (size_t i = begin; i < end; i += 8) {
    const __m256 yv = kOneY ? oneY : _mm256_loadu_ps(y + i);
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(x + i));
    __mmask8 scalar;
    _mm256_storeu_ps(out + i, powf8<kCheckRange>(in, kOneY ? oneYd : _mm512_cvtps_pd(yv), t,
                                                 &scalar));
    if (scalar != 0) {
      PowfLanes::Vector& keep = lanes.note(i, scalar);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(keep.x), in);
      _mm256_storeu_ps(keep.y, yv);
    }
  }
}

float powf_call(float x, float y) { return std::pow(x, y); }

template <bool kOneY, bool kCheckRange>
void powf_blocks(const float* x, const float* y, float* out, size_t n) {
  run_in_blocks<float, 8>(x, y, kOneY ? 0 : 1, out, n, n, powf_block<kOneY, kCheckRange>,
                          powf_call);
}

}  // namespace

void powf_avx512(const float* x, float y, float* out, size_t n) {
  if (std::fabs(y) < kNoRangeCheckBelow) {
    powf_blocks<true, false>(x, &y, out, n);
  } else {
    powf_blocks<true, true>(x, &y, out, n);
  }
}

void powf_pairs_avx512(const float* x, const float* y, float* out, size_t n) {
  powf_blocks<false, true>(x, y, out, n);
}

}  // namespace lftm
