// SPDX-License-Identifier: BSD-3-Clause
// The constants of the C library's table-driven logf, powf and pow (the versions this
// platform's library runs), so that the vector kernels step through the same numbers.
#ifndef LFTM_VECMATH_LIBM_TABLES_H_
#define LFTM_VECMATH_LIBM_TABLES_H_

#include <cstdint>

namespace lftm {

// logf: 16 pairs {1/c, log(c)}, ln 2, and the log1p polynomial A[0..2].
extern const double kLogfTable[32];
extern const double kLogfPoly[3];
extern const double kLogfLn2;

// powf, log2 part: 16 pairs {1/c, log2(c)} and the polynomial A[0..4].
extern const double kPowfLog2Table[32];
extern const double kPowfLog2Poly[5];

// powf, exp2 part: 2^(i/32) as bits with the exponent field cleared of i/32, the rounding
// shift 0x1.8p52/32, and the polynomial C[0..2].
extern const uint64_t kExp2fTable[32];
extern const double kExp2fShift;
extern const double kExp2fPoly[3];

// pow, log part: ln 2 in two pieces, the polynomial A[0..6], and 128 entries
// {1/c, 0, log(c), its low-order tail}.
extern const double kPowLn2Hi;
extern const double kPowLn2Lo;
extern const double kPowLogPoly[7];
extern const double kPowLogTable[512];

// pow, exp part: 128/ln 2, -ln 2/128 in two pieces, the polynomial C2..C5, the rounding
// shift 0x1.8p52, and 128 pairs {tail, scale bits} of 2^(i/128).
extern const double kExpInvLn2N;
extern const double kExpNegLn2HiN;
extern const double kExpNegLn2LoN;
extern const double kExpPoly[4];
extern const double kExpShift;
extern const uint64_t kExpTable[256];

}  // namespace lftm

#endif  // LFTM_VECMATH_LIBM_TABLES_H_
