// SPDX-License-Identifier: BSD-3-Clause
// Owned heap memory for the library. Buffers come from malloc, so that a failed allocation is
// a result code (-4) instead of an exception crossing the C interface, and are released by
// their owner on every return path.
#ifndef LFTM_PLATFORM_HEAP_BUFFER_H_
#define LFTM_PLATFORM_HEAP_BUFFER_H_

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace lftm {

// Releases memory that came from malloc or calloc.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};

// One malloc'ed block of any type; null when the allocation failed.
using MallocPtr = std::unique_ptr<void, FreeDeleter>;

// A buffer of `count` elements either borrowed from the caller's scratch space or taken from
// the heap.

template <typename T>
class HeapBuffer {
 public:
  HeapBuffer() = default;
  ~HeapBuffer() { release(); }
  HeapBuffer(const HeapBuffer&) = delete;
  HeapBuffer& operator=(const HeapBuffer&) = delete;

  // Takes `count` elements from the heap (zero-filled when asked); false when that fails.
  bool allocate(size_t count, bool zeroed = false) {
    release();
    if (count == 0) count = 1;
    void* p = zeroed ? std::calloc(count, sizeof(T)) : std::malloc(count * sizeof(T));
    data_ = static_cast<T*>(p);
    owned_ = data_ != nullptr;
    return owned_;
  }

  // Uses caller-owned space; nothing is released afterwards.
  void borrow(T* space) {
    release();
    data_ = space;
  }

  void release() {
    if (owned_) std::free(data_);
    data_ = nullptr;
    owned_ = false;
  }

  T* get() const { return data_; }
  bool owned() const { return owned_; }

 private:
  T* data_ = nullptr;
  bool owned_ = false;
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_HEAP_BUFFER_H_
