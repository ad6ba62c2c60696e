// SPDX-License-Identifier: BSD-3-Clause
// A large buffer whose rows are used up from the front while later rows are still in use:
// the whole memory pages of the used-up share go back to the system as it grows, so that an
// input shrinks while the output it is turned into grows.
#ifndef LFTM_PLATFORM_FRONT_RELEASE_H_
#define LFTM_PLATFORM_FRONT_RELEASE_H_

#include <cstddef>
#include <cstdint>

namespace lftm {

class FrontRelease {
 public:
  // `bytes` bytes at `buffer` (null: nothing is ever released).
  FrontRelease(const void* buffer, size_t bytes);

  // The first `bytes` bytes are no longer read: the whole pages among them not given back yet
  // go back to the system now. Their contents are lost, so the buffer may only be freed after.
  void used_up(size_t bytes);

 private:
  uintptr_t base_;
  uintptr_t end_;
  uintptr_t next_;  // the first page not given back
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_FRONT_RELEASE_H_
