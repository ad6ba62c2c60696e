// SPDX-License-Identifier: BSD-3-Clause
// The C locale's number format, for text whose numbers are always written and read with a
// period, whatever locale the host has set.
#ifndef LFTM_PLATFORM_C_LOCALE_H_
#define LFTM_PLATFORM_C_LOCALE_H_

#include <locale.h>

namespace lftm {

// A locale with the C number format, made once for the process; null when it cannot be made.
locale_t c_numeric_locale();

}  // namespace lftm

#endif  // LFTM_PLATFORM_C_LOCALE_H_
