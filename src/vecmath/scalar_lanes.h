// SPDX-License-Identifier: BSD-3-Clause
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

template <typename T>
class ScalarLanes {
 public:
  // Values per block; the notes of a whole block fit (some kilobytes on the stack).
  static constexpr size_t kBlock = 512;

  // Where the block from `begin` ends: whole vectors of `lanes` values only, at most kBlock.
  static size_t block_end(size_t begin, size_t n, size_t lanes) {
    return begin + std::min(kBlock / lanes, (n - begin) / lanes) * lanes;
  }

  // The vector at out + at needs the call in the lanes set in mask (bit j: lane j), whose
  // inputs are x[j] and y[j].
  void note(size_t at, uint64_t mask, const T* x, const T* y) {
    for (; mask != 0; mask &= mask - 1) {
      const int j = __builtin_ctzll(mask);
      at_[count_] = at + j;
      x_[count_] = x[j];
      y_[count_++] = y[j];
    }
  }

  // Overwrites the noted lanes of out with call(x, y) and forgets them.
  template <typename Call>
  void finish(T* out, Call call) {
    for (size_t i = 0; i < count_; ++i) out[at_[i]] = call(x_[i], y_[i]);
    count_ = 0;
  }

 private:
  size_t count_ = 0;
  size_t at_[kBlock];
  T x_[kBlock], y_[kBlock];
};

// out[i] = call(x[i], y[i * yStep]) for i < n (yStep 0: one y for all; y null: call ignores
// it). block(x, y, out, begin, end, notes) does the whole vectors of `lanes` values in
// [0, vectorN), a block at a time, and after each block the lanes it noted get the call; the
// rest are called one by one.
template <typename T, typename Call>
void run_in_blocks(const T* x, const T* y, size_t yStep, T* out, size_t vectorN, size_t n,
                   size_t lanes,
                   void (*block)(const T*, const T*, T*, size_t, size_t, ScalarLanes<T>&),
                   Call call) {
  ScalarLanes<T> notes;
  size_t i = 0;
  for (size_t end; (end = notes.block_end(i, vectorN, lanes)) > i; i = end) {
    block(x, y, out, i, end, notes);
    notes.finish(out, call);
  }
  for (; i < n; ++i) out[i] = call(x[i], y != nullptr ? y[i * yStep] : T());
}

}  // namespace lftm

#endif  // LFTM_VECMATH_SCALAR_LANES_H_
