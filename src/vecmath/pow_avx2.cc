// pow four lanes at a time: log(x) to about 68 bits as hi + lo from a 128-entry table, its
// product with y split the same way, then exp(hi + lo) from a 128-entry table.
#include <immintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "vecmath/libm_tables.h"
#include "vecmath/scalar_lanes.h"
#include "vecmath/vector_kernels.h"

namespace lftm {
namespace {

LFTM_TARGET_AVX2_FMA LFTM_LANES_INLINE __m256d set(double v) { return _mm256_set1_pd(v); }

// Lanes whose bit is set in *scalar need the scalar call: x zero, negative, subnormal,
// infinite or NaN, and |y log x| below 2^-54 or from 512 up (where the library rounds tiny
// results, or decides overflow and underflow). y itself is checked by the caller.
LFTM_TARGET_AVX2_FMA LFTM_LANES_INLINE __m256d pow4(__m256d x, __m256d y, int* scalar) {
  const __m256i ix = _mm256_castpd_si256(x);
  const __m256i topx = _mm256_srli_epi64(ix, 52);
  const __m256i badX = _mm256_or_si256(_mm256_cmpgt_epi64(topx, _mm256_set1_epi64x(0x7fe)),
                                       _mm256_cmpeq_epi64(topx, _mm256_setzero_si256()));

  // log(x) = k ln2 + log(c) + log1p(z/c - 1)
  const __m256i tmp = _mm256_sub_epi64(ix, _mm256_set1_epi64x(0x3fe6955500000000));
  int64_t row[4];
  row_numbers(_mm256_and_si256(_mm256_srli_epi64(tmp, 45), _mm256_set1_epi64x(127)), row);
  // k = tmp >> 52 (arithmetic): the high half of each lane shifted by 20, then packed.
  const __m256i kHalves = _mm256_srai_epi32(tmp, 20);
  const __m128i k = _mm256_castsi256_si128(
      _mm256_permutevar8x32_epi32(kHalves, _mm256_setr_epi32(1, 3, 5, 7, 1, 3, 5, 7)));
  const __m256d kd = _mm256_cvtepi32_pd(k);
  const __m256i field = _mm256_set1_epi64x(static_cast<long long>(0xfffULL << 52));
  const __m256d z = _mm256_castsi256_pd(_mm256_sub_epi64(ix, _mm256_and_si256(tmp, field)));
  __m256d invc, logc, logctail;
  rows_of_four(kPowLogTable, row, &invc, &logc, &logctail);
  const double* A = kPowLogPoly;

  const __m256d t1 = _mm256_fmadd_pd(kd, set(kPowLn2Hi), logc);
  const __m256d lo1 = _mm256_fmadd_pd(kd, set(kPowLn2Lo), logctail);
  const __m256d r = _mm256_fmadd_pd(z, invc, set(-1.0));
  const __m256d ar = _mm256_mul_pd(r, set(A[0]));
  const __m256d q1 = _mm256_fmadd_pd(r, set(A[2]), set(A[1]));
  const __m256d q3 = _mm256_fmadd_pd(r, set(A[4]), set(A[3]));
  const __m256d t2 = _mm256_add_pd(r, t1);
  const __m256d ar2 = _mm256_mul_pd(r, ar);
  const __m256d ar3 = _mm256_mul_pd(r, ar2);
  const __m256d lo3 = _mm256_fmsub_pd(ar, r, ar2);
  const __m256d lo2 = _mm256_add_pd(_mm256_sub_pd(t1, t2), r);
  const __m256d q5 = _mm256_fmadd_pd(r, set(A[6]), set(A[5]));
  const __m256d hi = _mm256_add_pd(t2, ar2);
  const __m256d lo4 = _mm256_add_pd(_mm256_sub_pd(t2, hi), ar2);
  __m256d q = _mm256_fmadd_pd(q5, ar2, q3);
  q = _mm256_fmadd_pd(ar2, q, q1);
  __m256d lo = _mm256_add_pd(lo1, lo2);
  lo = _mm256_add_pd(lo, lo3);
  lo = _mm256_add_pd(lo, lo4);
  lo = _mm256_fmadd_pd(ar3, q, lo);
  const __m256d logHi = _mm256_add_pd(hi, lo);
  const __m256d logLo = _mm256_add_pd(_mm256_sub_pd(hi, logHi), lo);

  // y log(x) = ehi + elo
  const __m256d ehi = _mm256_mul_pd(y, logHi);
  const __m256d elo = _mm256_fmadd_pd(y, logLo, _mm256_fmsub_pd(logHi, y, ehi));

  const __m256i abstop = _mm256_and_si256(_mm256_srli_epi64(_mm256_castpd_si256(ehi), 52),
                                          _mm256_set1_epi64x(0x7ff));
  const __m256i badE = _mm256_or_si256(_mm256_cmpgt_epi64(abstop, _mm256_set1_epi64x(0x407)),
                                       _mm256_cmpgt_epi64(_mm256_set1_epi64x(0x3c9), abstop));
  *scalar = _mm256_movemask_pd(_mm256_castsi256_pd(_mm256_or_si256(badX, badE)));

  // exp(x) = 2^(k/128) exp(r), x = k ln2/128 + r
  __m256d kdE = _mm256_fmadd_pd(ehi, set(kExpInvLn2N), set(kExpShift));
  const __m256i ki = _mm256_castpd_si256(kdE);
  kdE = _mm256_sub_pd(kdE, set(kExpShift));
  __m256d rE = _mm256_fmadd_pd(kdE, set(kExpNegLn2HiN), ehi);
  rE = _mm256_fmadd_pd(kdE, set(kExpNegLn2LoN), rE);
  rE = _mm256_add_pd(elo, rE);
  int64_t at[4];
  row_numbers(_mm256_and_si256(ki, _mm256_set1_epi64x(127)), at);
  __m256d tail, scaleBits;
  rows_of_two(reinterpret_cast<const double*>(kExpTable), at, &tail, &scaleBits);
  const __m256i sbits = _mm256_add_epi64(_mm256_castpd_si256(scaleBits), _mm256_slli_epi64(ki, 45));
  const __m256d c23 = _mm256_fmadd_pd(rE, set(kExpPoly[1]), set(kExpPoly[0]));
  const __m256d rTail = _mm256_add_pd(rE, tail);
  const __m256d r2 = _mm256_mul_pd(rE, rE);
  const __m256d c45 = _mm256_fmadd_pd(rE, set(kExpPoly[3]), set(kExpPoly[2]));
  __m256d t = _mm256_fmadd_pd(c23, r2, rTail);
  t = _mm256_fmadd_pd(c45, _mm256_mul_pd(r2, r2), t);
  const __m256d scale = _mm256_castsi256_pd(sbits);
  return _mm256_fmadd_pd(scale, t, scale);
}

using PowLanes = ScalarLanes<double, 4>;

// Vectors [begin, end) of x to the power y[0], noting the lanes the table path leaves out. Not
// inlined, so that no call shares the function with the loop.
LFTM_TARGET_AVX2_FMA __attribute__((noinline))
void pow_block(const double* x, const double* y, double* out, size_t begin, size_t end,
               PowLanes& lanes) {
  const __m256d yv = _mm256_set1_pd(y[0]);
  for (size_t i = begin; i < end; i += 4) {
    const __m256d in = _mm256_loadu_pd(x + i);
    int scalar;
    _mm256_storeu_pd(out + i, pow4(in, yv, &scalar));
    if (scalar != 0) {
      PowLanes::Vector& keep = lanes.note(i, static_cast<uint32_t>(scalar));
      _mm256_storeu_pd(keep.x, in);
      _mm256_storeu_pd(keep.y, yv);
    }
  }
}

double pow_call(double x, double y) { return std::pow(x, y); }

}  // namespace

bool pow_exponent_in_table_range(double y) {
  uint64_t iy;
  std::memcpy(&iy, &y, sizeof iy);
  return ((iy >> 52 & 0x7ff) - 0x3be) < 0x80;
}

void pow_avx2(const double* x, double y, double* out, size_t n) {
  // Exponents outside the table range go to the library whole.
  const size_t vectorN = pow_exponent_in_table_range(y) ? n : 0;
  run_in_blocks<double, 4>(x, &y, 0, out, vectorN, n, pow_block, pow_call);
}

}  // namespace lftm
