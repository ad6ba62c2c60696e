// Size arithmetic that cannot overflow: image sizes come from files and hosts, and every
// buffer size derived from them is checked before anything is allocated.
#ifndef LFTM_PLATFORM_SIZES_H_
#define LFTM_PLATFORM_SIZES_H_

#include <cstddef>
#include <cstdint>
#include <limits>

namespace lftm {

// a x b x c as a size, or false when a factor is negative or the product passes `limit`.
inline bool checked_product(int64_t a, int64_t b, int64_t c, size_t* out,
                            int64_t limit = std::numeric_limits<int32_t>::max()) {
  if (a < 0 || b < 0 || c < 0) return false;
  if (a != 0 && b > limit / a) return false;
  int64_t ab = a * b;
  if (ab != 0 && c > limit / ab) return false;
  *out = static_cast<size_t>(ab * c);
  return true;
}

}  // namespace lftm

#endif  // LFTM_PLATFORM_SIZES_H_
