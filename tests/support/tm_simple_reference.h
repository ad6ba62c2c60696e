// SPDX-License-Identifier: BSD-3-Clause
// Test-only: the Range Squeezer written the plain way, pixel by pixel and channel by channel,
// with no hoisting and no specialisation. The fast operator must match it byte for byte.
#ifndef LFTM_TESTS_SUPPORT_TM_SIMPLE_REFERENCE_H_
#define LFTM_TESTS_SUPPORT_TM_SIMPLE_REFERENCE_H_

#include "lftm.h"

namespace lftm_test {

// Same contract as lftm::tm_simple_tile, without printing.
int reference_tm_simple(int isFP, const ImageDesc& desc, const TmParam& param,
                        const LogStats& stats, const float* expTable, const void* input,
                        void* output);

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_TM_SIMPLE_REFERENCE_H_
