// The lanes of one block of an array that a vector loop leaves to the scalar call. The loop only
// notes them, with their inputs (out may be an input, already overwritten when the block ends),
// and the calls are made after the block: a call inside the loop would make the compiler keep
// every constant and table register in memory around it, since calls clobber all vector
// registers.
#ifndef LFTM_VECMATH_SCALAR_LANES_H_
#define LFTM_VECMATH_SCALAR_LANES_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace lftm {

template <typename T, int kLanes>
class ScalarLanes {
 public:
  // Values per block; the notes of a whole block fit (a few kilobytes on the stack).
  static constexpr size_t kBlock = 512;
  static_assert(kBlock % kLanes == 0 && kLanes <= 32, "whole vectors, lanes fit the mask");

  struct Vector {
    T x[kLanes];
    T y[kLanes];
  };

  // Where the block from `begin` ends: whole vectors only, at most kBlock values.
  static size_t block_end(size_t begin, size_t n) {
    return begin + std::min(kBlock, (n - begin) / kLanes * kLanes);
  }

  // The vector at out + at needs the call in the lanes set in mask; the caller stores its inputs
  // in the returned record.
  Vector& note(size_t at, uint32_t mask) {
    at_[count_] = at;
    mask_[count_] = mask;
    return vectors_[count_++];
  }

  // Overwrites the noted lanes of out with call(x, y) and forgets them.
  template <typename Call>
  void finish(T* out, Call call) {
    for (int v = 0; v < count_; ++v) {
      for (int j = 0; j < kLanes; ++j) {
        if (mask_[v] >> j & 1) out[at_[v] + j] = call(vectors_[v].x[j], vectors_[v].y[j]);
      }
    }
    count_ = 0;
  }

 private:
  int count_ = 0;
  size_t at_[kBlock / kLanes];
  uint32_t mask_[kBlock / kLanes];
  Vector vectors_[kBlock / kLanes];
};

// out[i] = call(x[i], y[i * yStep]) for i < n (yStep 0: one y for all; y null: call ignores
// it). block(x, y, out, begin, end, lanes) does the whole vectors of [0, vectorN), a block at a
// time, and after each block the lanes it noted get the call; the rest are called one by one.
template <typename T, int kLanes, typename Call>
void run_in_blocks(const T* x, const T* y, size_t yStep, T* out, size_t vectorN, size_t n,
                   void (*block)(const T*, const T*, T*, size_t, size_t, ScalarLanes<T, kLanes>&),
                   Call call) {
  ScalarLanes<T, kLanes> lanes;
  size_t i = 0;
  for (size_t end; (end = lanes.block_end(i, vectorN)) > i; i = end) {
    block(x, y, out, i, end, lanes);
    lanes.finish(out, call);
  }
  for (; i < n; ++i) out[i] = call(x[i], y != nullptr ? y[i * yStep] : T());
}

}  // namespace lftm

#endif  // LFTM_VECMATH_SCALAR_LANES_H_
