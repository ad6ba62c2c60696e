// powf four lanes at a time: log2(x) from a 16-entry table and a polynomial, times y, then
// 2^(y log2 x) from a 32-entry table and a polynomial, all in double precision.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "vecmath/libm_tables.h"
#include "vecmath/scalar_lanes.h"
#include "vecmath/vector_kernels.h"

namespace lftm {
namespace {

// Lanes whose bit is set in *scalar need the scalar call: x zero, negative, subnormal,
// infinite or NaN; y zero, infinite or NaN; |y log2 x| of 126 or more (overflow and
// underflow are decided there).
LFTM_TARGET_AVX2_FMA LFTM_LANES_INLINE __m128 powf4(__m128i ix, __m128 yf, int* scalar) {
  const __m128i flip = _mm_set1_epi32(INT32_MIN);  // unsigned compares through signed ones
  const __m128i iy = _mm_castps_si128(yf);
  const __m128i offX = _mm_xor_si128(_mm_sub_epi32(ix, _mm_set1_epi32(0x00800000)), flip);
  __m128i bad = _mm_cmpgt_epi32(offX, _mm_xor_si128(_mm_set1_epi32(0x7effffff), flip));
  const __m128i twiceY = _mm_xor_si128(_mm_sub_epi32(_mm_add_epi32(iy, iy), _mm_set1_epi32(1)), flip);
  bad = _mm_or_si128(bad, _mm_cmpgt_epi32(twiceY, _mm_xor_si128(_mm_set1_epi32(static_cast<int>(0xfefffffeu)), flip)));

  // log2(x) = log2(c) + k + log1p(z/c - 1)/ln2
  const __m128i tmp = _mm_sub_epi32(ix, _mm_set1_epi32(0x3f330000));
  int64_t row[4];
  row_numbers(_mm_and_si128(_mm_srli_epi32(tmp, 19), _mm_set1_epi32(15)), row);
  const __m128i top = _mm_and_si128(tmp, _mm_set1_epi32(static_cast<int>(0xff800000u)));
  const __m256d z = _mm256_cvtps_pd(_mm_castsi128_ps(_mm_sub_epi32(ix, top)));
  const __m256d kd = _mm256_cvtepi32_pd(_mm_srai_epi32(top, 23));
  __m256d invc, logc;
  rows_of_two(kPowfLog2Table, row, &invc, &logc);
  const __m256d r = _mm256_fmadd_pd(z, invc, _mm256_set1_pd(-1.0));
  const __m256d y0 = _mm256_add_pd(kd, logc);
  __m256d y = _mm256_fmadd_pd(r, _mm256_set1_pd(kPowfLog2Poly[0]), _mm256_set1_pd(kPowfLog2Poly[1]));
  const __m256d p = _mm256_fmadd_pd(r, _mm256_set1_pd(kPowfLog2Poly[2]), _mm256_set1_pd(kPowfLog2Poly[3]));
  const __m256d r2 = _mm256_mul_pd(r, r);
  __m256d q = _mm256_fmadd_pd(r, _mm256_set1_pd(kPowfLog2Poly[4]), y0);
  const __m256d r4 = _mm256_mul_pd(r2, r2);
  q = _mm256_fmadd_pd(r2, p, q);
  y = _mm256_fmadd_pd(y, r4, q);
  const __m256d ylogx = _mm256_mul_pd(_mm256_cvtps_pd(yf), y);

  const __m256i top16 = _mm256_and_si256(_mm256_srli_epi64(_mm256_castpd_si256(ylogx), 47),
                                         _mm256_set1_epi64x(0xffff));
  const __m256i large = _mm256_cmpgt_epi64(top16, _mm256_set1_epi64x(0x80be));
  *scalar = _mm_movemask_ps(_mm_castsi128_ps(bad)) | _mm256_movemask_pd(_mm256_castsi256_pd(large));

  // 2^ylogx = 2^(k/32) 2^r
  const __m256d shift = _mm256_set1_pd(kExp2fShift);
  __m256d kd2 = _mm256_add_pd(ylogx, shift);
  const __m256i ki = _mm256_castpd_si256(kd2);
  kd2 = _mm256_sub_pd(kd2, shift);
  const __m256d rr = _mm256_sub_pd(ylogx, kd2);
  int64_t at[4];
  row_numbers(_mm256_and_si256(ki, _mm256_set1_epi64x(31)), at);
  __m256i t = _mm256_setr_epi64x(static_cast<long long>(kExp2fTable[at[0]]),
                                 static_cast<long long>(kExp2fTable[at[1]]),
                                 static_cast<long long>(kExp2fTable[at[2]]),
                                 static_cast<long long>(kExp2fTable[at[3]]));
  t = _mm256_add_epi64(t, _mm256_slli_epi64(ki, 47));
  const __m256d zz = _mm256_fmadd_pd(rr, _mm256_set1_pd(kExp2fPoly[0]), _mm256_set1_pd(kExp2fPoly[1]));
  const __m256d rr2 = _mm256_mul_pd(rr, rr);
  __m256d e = _mm256_fmadd_pd(rr, _mm256_set1_pd(kExp2fPoly[2]), _mm256_set1_pd(1.0));
  e = _mm256_fmadd_pd(zz, rr2, e);
  return _mm256_cvtpd_ps(_mm256_mul_pd(e, _mm256_castsi256_pd(t)));
}

using PowfLanes = ScalarLanes<float, 8>;

// Vectors [begin, end) of x and y (kOneY: y[0] for all), noting the lanes the table path leaves
// out. Not inlined, so that no call shares the function with the loop.
template <bool kOneY>
LFTM_TARGET_AVX2_FMA __attribute__((noinline))
void powf_block(const float* x, const float* y, float* out, size_t begin, size_t end,
                PowfLanes& lanes) {
  const __m128 oneY = _mm_set1_ps(y[0]);  // read before out, which may be y, is written
  for (size_t i = begin; i < end; i += 8) {
    const __m128 ya = kOneY ? oneY : _mm_loadu_ps(y + i);
    const __m128 yb = kOneY ? oneY : _mm_loadu_ps(y + i + 4);
    const __m128i xa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i));
    const __m128i xb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x + i + 4));
    int scalarA, scalarB;
    _mm_storeu_ps(out + i, powf4(xa, ya, &scalarA));
    _mm_storeu_ps(out + i + 4, powf4(xb, yb, &scalarB));
    if ((scalarA | scalarB) != 0) {
      PowfLanes::Vector& keep = lanes.note(i, static_cast<uint32_t>(scalarA | scalarB << 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(keep.x), xa);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(keep.x + 4), xb);
      _mm_storeu_ps(keep.y, ya);
      _mm_storeu_ps(keep.y + 4, yb);
    }
  }
}

float powf_call(float x, float y) { return std::pow(x, y); }

template <bool kOneY>
void powf_blocks(const float* x, const float* y, float* out, size_t n) {
  run_in_blocks<float, 8>(x, y, kOneY ? 0 : 1, out, n, n, powf_block<kOneY>, powf_call);
}

}  // namespace

void powf_avx2(const float* x, float y, float* out, size_t n) {
  powf_blocks<true>(x, &y, out, n);
}

void powf_pairs_avx2(const float* x, const float* y, float* out, size_t n) {
  powf_blocks<false>(x, y, out, n);
}

}  // namespace lftm
