// SPDX-License-Identifier: BSD-3-Clause
#include "platform/front_release.h"

#include <sys/mman.h>
#include <unistd.h>

namespace lftm {
namespace {

uintptr_t page_size() {
  static const uintptr_t size = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  return size;
}

}  // namespace

FrontRelease::FrontRelease(const void* buffer, size_t bytes)
    : base_(reinterpret_cast<uintptr_t>(buffer)),
      end_(buffer == nullptr ? 0 : base_ + bytes),
      // Whole pages only: the page that holds the start also holds the allocator's records.
      next_((base_ + page_size() - 1) & ~(page_size() - 1)) {}

void FrontRelease::used_up(size_t bytes) {
  const uintptr_t limit = (base_ + bytes < end_ ? base_ + bytes : end_) & ~(page_size() - 1);
  if (limit <= next_) return;
  // Advice only: if the system declines, the pages simply stay until the buffer is freed.
  madvise(reinterpret_cast<void*>(next_), limit - next_, MADV_DONTNEED);
  next_ = limit;
}

}  // namespace lftm
