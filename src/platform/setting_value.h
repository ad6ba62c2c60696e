// Settings that are integers by nature are stored in float slots and truncated toward zero
// where they are read. Hosts may store anything in a slot, so the truncation saturates at the
// int range and reads NaN as 0 instead of overflowing the conversion.
#ifndef LFTM_PLATFORM_SETTING_VALUE_H_
#define LFTM_PLATFORM_SETTING_VALUE_H_

#include <climits>

namespace lftm {

inline int truncate_setting(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return INT_MAX;
  if (value <= -2147483648.0) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace lftm

#endif  // LFTM_PLATFORM_SETTING_VALUE_H_
