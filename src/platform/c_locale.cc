// SPDX-License-Identifier: BSD-3-Clause
#include "platform/c_locale.h"

namespace lftm {

locale_t c_numeric_locale() {
  static locale_t loc = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

}  // namespace lftm
