// pow eight lanes at a time with AVX-512: the same steps as pow_avx2.cc. The two 128-row tables
// are read row by row, at addresses the scalar unit works out, so that the vector units (which
// bound this path) do only the arithmetic and the transposes.
#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "vecmath/libm_tables.h"
#include "vecmath/scalar_lanes.h"
#include "vecmath/vector_kernels.h"

namespace lftm {
namespace {

LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m512d set(double v) { return _mm512_set1_pd(v); }
LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m512i set64(uint64_t v) {
  return _mm512_set1_epi64(static_cast<long long>(v));
}

// Eight 64-bit lanes in memory, for the scalar unit: it turns them into table row addresses,
// which keeps the shifts and masks off the vector units (the path's bottleneck).
struct Lanes8 {
  alignas(64) uint64_t lane[8];
};

LFTM_TARGET_AVX512 LFTM_LANES_INLINE Lanes8 to_scalar_unit(__m512i v) {
  Lanes8 at;
  _mm512_store_si512(at.lane, v);
  // One store and eight loads: the compiler would otherwise move the lanes out one by one with
  // extracts, which take the vector units as well.
  asm("" : "+m"(at));
  return at;
}

// The log table's row for tmp (four doubles: bits 45-51 of tmp).
LFTM_TARGET_AVX512 LFTM_LANES_INLINE const double* log_row(uint64_t tmp) {
  return kPowLogTable + (tmp >> 45 & 127) * 4;
}

// The exp table's row for ki (two doubles: ki mod 128).
LFTM_TARGET_AVX512 LFTM_LANES_INLINE const double* exp_row(uint64_t ki) {
  return reinterpret_cast<const double*>(kExpTable) + (ki & 127) * 2;
}

// Four-double rows a and b as one register, a's row below.
LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m512d two_rows(const double* a, const double* b) {
  return _mm512_insertf64x4(_mm512_castpd256_pd512(_mm256_loadu_pd(a)), _mm256_loadu_pd(b), 1);
}

// Two-double rows a, b, c and d as one register, from the bottom.
LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m512d four_rows(const double* a, const double* b,
                                                       const double* c, const double* d) {
  const __m256d ab =
      _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(a)), _mm_loadu_pd(b), 1);
  const __m256d cd =
      _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(c)), _mm_loadu_pd(d), 1);
  return _mm512_insertf64x4(_mm512_castpd256_pd512(ab), cd, 1);
}

// Columns 0, 2 and 3 of the log table rows of eight lanes' tmp: {1/c, 0, log(c), tail}. The
// rows are paired so that after the in-lane unpacks one shuffle of 128-bit blocks puts each
// column in lane order.
LFTM_TARGET_AVX512 LFTM_LANES_INLINE void log_rows(const Lanes8& tmp, __m512d* invc,
                                                   __m512d* logc, __m512d* tail) {
  const uint64_t* at = tmp.lane;
  const __m512d a = two_rows(log_row(at[0]), log_row(at[2]));
  const __m512d b = two_rows(log_row(at[1]), log_row(at[3]));
  const __m512d c = two_rows(log_row(at[4]), log_row(at[6]));
  const __m512d d = two_rows(log_row(at[5]), log_row(at[7]));
  const __m512d loAB = _mm512_unpacklo_pd(a, b), hiAB = _mm512_unpackhi_pd(a, b);
  const __m512d loCD = _mm512_unpacklo_pd(c, d), hiCD = _mm512_unpackhi_pd(c, d);
  *invc = _mm512_shuffle_f64x2(loAB, loCD, _MM_SHUFFLE(2, 0, 2, 0));
  *logc = _mm512_shuffle_f64x2(loAB, loCD, _MM_SHUFFLE(3, 1, 3, 1));
  *tail = _mm512_shuffle_f64x2(hiAB, hiCD, _MM_SHUFFLE(3, 1, 3, 1));
}

// Both columns of the exp table rows of eight lanes' ki: {tail, scale bits}.
LFTM_TARGET_AVX512 LFTM_LANES_INLINE void exp_rows(const Lanes8& ki, __m512d* tail,
                                                   __m512d* scaleBits) {
  const uint64_t* at = ki.lane;
  const __m512d even = four_rows(exp_row(at[0]), exp_row(at[2]), exp_row(at[4]), exp_row(at[6]));
  const __m512d odd = four_rows(exp_row(at[1]), exp_row(at[3]), exp_row(at[5]), exp_row(at[7]));
  *tail = _mm512_unpacklo_pd(even, odd);
  *scaleBits = _mm512_unpackhi_pd(even, odd);
}

// Lanes set in *scalar need the scalar call: x zero, negative, subnormal, infinite or NaN, and
// |y log x| below 2^-54 or from 512 up (see pow4 in pow_avx2.cc).
LFTM_TARGET_AVX512 LFTM_LANES_INLINE __m512d pow8(__m512d x, __m512d y, __mmask8* scalar) {
  const __m512i ix = _mm512_castpd_si512(x);
  // Normal positive x: 0x001... <= ix < 0x7ff...
  *scalar = _mm512_cmp_epu64_mask(_mm512_sub_epi64(ix, set64(0x0010000000000000)),
                                  set64(0x7fe0000000000000), _MM_CMPINT_NLT);

  // log(x) = k ln2 + log(c) + log1p(z/c - 1)
  const __m512i tmp = _mm512_sub_epi64(ix, set64(0x3fe6955500000000));
  __m512d invc, logc, logctail;
  log_rows(to_scalar_unit(tmp), &invc, &logc, &logctail);
  const __m512d kd = _mm512_cvtepi64_pd(_mm512_srai_epi64(tmp, 52));
  const __m512d z =
      _mm512_castsi512_pd(_mm512_sub_epi64(ix, _mm512_and_si512(tmp, set64(0xfffULL << 52))));
  const double* A = kPowLogPoly;

  const __m512d t1 = _mm512_fmadd_pd(kd, set(kPowLn2Hi), logc);
  const __m512d lo1 = _mm512_fmadd_pd(kd, set(kPowLn2Lo), logctail);
  const __m512d r = _mm512_fmadd_pd(z, invc, set(-1.0));
  const __m512d ar = _mm512_mul_pd(r, set(A[0]));
  const __m512d q1 = _mm512_fmadd_pd(r, set(A[2]), set(A[1]));
  const __m512d q3 = _mm512_fmadd_pd(r, set(A[4]), set(A[3]));
  const __m512d t2 = _mm512_add_pd(r, t1);
  const __m512d ar2 = _mm512_mul_pd(r, ar);
  const __m512d ar3 = _mm512_mul_pd(r, ar2);
  const __m512d lo3 = _mm512_fmsub_pd(ar, r, ar2);
  const __m512d lo2 = _mm512_add_pd(_mm512_sub_pd(t1, t2), r);
  const __m512d q5 = _mm512_fmadd_pd(r, set(A[6]), set(A[5]));
  const __m512d hi = _mm512_add_pd(t2, ar2);
  const __m512d lo4 = _mm512_add_pd(_mm512_sub_pd(t2, hi), ar2);
  __m512d q = _mm512_fmadd_pd(q5, ar2, q3);
  q = _mm512_fmadd_pd(ar2, q, q1);
  __m512d lo = _mm512_add_pd(lo1, lo2);
  lo = _mm512_add_pd(lo, lo3);
  lo = _mm512_add_pd(lo, lo4);
  lo = _mm512_fmadd_pd(ar3, q, lo);
  const __m512d logHi = _mm512_add_pd(hi, lo);
  const __m512d logLo = _mm512_add_pd(_mm512_sub_pd(hi, logHi), lo);

  // y log(x) = ehi + elo
  const __m512d ehi = _mm512_mul_pd(y, logHi);
  const __m512d elo = _mm512_fmadd_pd(y, logLo, _mm512_fmsub_pd(logHi, y, ehi));

  // 2^-54 <= |ehi| < 512: 0x3c9... <= |ehi| bits < 0x408...
  const __m512i absE = _mm512_and_si512(_mm512_castpd_si512(ehi), set64(~(1ULL << 63)));
  *scalar |= _mm512_cmp_epu64_mask(_mm512_sub_epi64(absE, set64(0x3c90000000000000)),
                                   set64(0x03f0000000000000), _MM_CMPINT_NLT);

  // exp(x) = 2^(k/128) exp(r), x = k ln2/128 + r
  __m512d kdE = _mm512_fmadd_pd(ehi, set(kExpInvLn2N), set(kExpShift));
  const __m512i ki = _mm512_castpd_si512(kdE);
  kdE = _mm512_sub_pd(kdE, set(kExpShift));
  __m512d rE = _mm512_fmadd_pd(kdE, set(kExpNegLn2HiN), ehi);
  rE = _mm512_fmadd_pd(kdE, set(kExpNegLn2LoN), rE);
  rE = _mm512_add_pd(elo, rE);
  __m512d tail, scaleBits;
  exp_rows(to_scalar_unit(ki), &tail, &scaleBits);
  const __m512i sbits =
      _mm512_add_epi64(_mm512_castpd_si512(scaleBits), _mm512_slli_epi64(ki, 45));
  const __m512d c23 = _mm512_fmadd_pd(rE, set(kExpPoly[1]), set(kExpPoly[0]));
  const __m512d rTail = _mm512_add_pd(rE, tail);
  const __m512d r2 = _mm512_mul_pd(rE, rE);
  const __m512d c45 = _mm512_fmadd_pd(rE, set(kExpPoly[3]), set(kExpPoly[2]));
  __m512d t = _mm512_fmadd_pd(c23, r2, rTail);
  t = _mm512_fmadd_pd(c45, _mm512_mul_pd(r2, r2), t);
  const __m512d scale = _mm512_castsi512_pd(sbits);
  return _mm512_fmadd_pd(scale, t, scale);
}

using PowLanes = ScalarLanes<double, 8>;

// Vectors [begin, end) of x to the power y[0], noting the lanes the table path leaves out. Not
// inlined, so that no call shares the function with the loop.
LFTM_TARGET_AVX512 __attribute__((noinline))
void pow_block(const double* x, const double* y, double* out, size_t begin, size_t end,
               PowLanes& lanes) {
  const __m512d yv = _mm512_set1_pd(y[0]);
  for (size_t i = begin; i < end; i += 8) {
    const __m512d in = _mm512_loadu_pd(x + i);
    __mmask8 scalar;
    _mm512_storeu_pd(out + i, pow8(in, yv, &scalar));
    if (scalar != 0) {
      PowLanes::Vector& keep = lanes.note(i, scalar);
      _mm512_storeu_pd(keep.x, in);
      _mm512_storeu_pd(keep.y, yv);
    }
  }
}

double pow_call(double x, double y) { return std::pow(x, y); }

}  // namespace

void pow_avx512(const double* x, double y, double* out, size_t n) {
  // Exponents outside the table range go to the library whole.
  const size_t vectorN = pow_exponent_in_table_range(y) ? n : 0;
  run_in_blocks<double, 8>(x, &y, 0, out, vectorN, n, pow_block, pow_call);
}

}  // namespace lftm
