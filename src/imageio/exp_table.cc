// SPDX-License-Identifier: BSD-3-Clause
#include <cmath>

#include "imageio/rgbe_reader.h"

namespace lftm {

// Entry e is 2^(e - 136): a mantissa byte m with exponent byte e decodes to m x table[e].
int build_exp_table(float table[256]) {
  for (int e = 0; e < 256; ++e) table[e] = static_cast<float>(std::ldexp(1.0, e - 136));
  return 256;
}

}  // namespace lftm
