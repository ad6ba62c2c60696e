// SPDX-License-Identifier: BSD-3-Clause
// Settings that are integers by nature are stored in float slots and truncated toward zero
// where they are read. This is the one conversion from a slot to an integer, used by the
// stages, the sidecar reader and writer and the working dimensions alike.
//
// Hosts may store anything in a slot, so the conversion is defined for every float: NaN
// reads as 0 (the value of a setting a host left unset, which is what the stages have always
// made of it) and values beyond the 32-bit range saturate at INT32_MIN or INT32_MAX, so that
// a huge value still compares as huge ("the largest preset", "not the Slider mode").
#ifndef LFTM_PLATFORM_SETTING_VALUE_H_
#define LFTM_PLATFORM_SETTING_VALUE_H_

#include <cstdint>

namespace lftm {

inline int32_t truncate_setting(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace lftm

#endif  // LFTM_PLATFORM_SETTING_VALUE_H_
