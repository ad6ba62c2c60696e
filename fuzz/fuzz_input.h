// SPDX-License-Identifier: BSD-3-Clause
// Turns a fuzz input into the values a target needs: small integers, flags, floats and the
// 20 settings of a TmParam block, each drawn from the front of the input in turn. Past the end
// of the input every value reads as 0, so any input, the empty one included, decodes.
#ifndef LFTM_FUZZ_FUZZ_INPUT_H_
#define LFTM_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>

#include "lftm.h"

namespace lftm_fuzz {

class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t byte();
  // A value in [lo, lo + span) taken from one byte.
  int in_range(int lo, int span) { return lo + byte() % span; }
  bool flag() { return (byte() & 1) != 0; }
  // Four bytes as the bit pattern of a float: any value, NaN and infinities included.
  float raw_float();
  // A float that is usually interesting: one selector byte picks the slot's own default, one
  // of a table of hostile values (NaN, infinities, +-1e30, the float limits, ...), a small
  // integer, or (for the top quarter) four more bytes taken as a raw float.
  float setting(float usual);

  // Copies `n` bytes to dst, repeating what is left of the input; a deterministic pattern
  // when nothing is left.
  void fill(uint8_t* dst, size_t n);

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// A settings block: every slot decoded with FuzzInput::setting from the matching slot of
// `usual`.
TmParam fuzz_settings(FuzzInput* in, const TmParam& usual);

// The Texture Booster's solver slider of 50 x 3^(-2) = 5 steps, the usual value of the
// targets: the default's 50 steps would take most of a run.
constexpr float kQuickSmoothingSlider = -20.0f;

// True for Texture Booster settings that make a run long, not wrong: a solver slider asking
// for more than a few hundred steps (sliders beyond an int's worth are refused at once and
// stay in), or pyramids of more than a dozen levels (`dims` as tm_dim filled them).
bool slow_booster_run(const TmParam& param, const PyramidDims& dims);

}  // namespace lftm_fuzz

#endif  // LFTM_FUZZ_FUZZ_INPUT_H_
