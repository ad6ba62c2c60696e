// SPDX-License-Identifier: BSD-3-Clause
#include "fuzz_input.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "settings/settings_table.h"

namespace lftm_fuzz {
namespace {

constexpr float kHostile[] = {
    std::numeric_limits<float>::quiet_NaN(),
    -std::numeric_limits<float>::quiet_NaN(),
    std::numeric_limits<float>::infinity(),
    -std::numeric_limits<float>::infinity(),
    1e30f,
    -1e30f,
    FLT_MAX,
    -FLT_MAX,
    FLT_MIN,
    -FLT_TRUE_MIN,
    -0.0f,
    2147483648.0f,
    -2147483904.0f,
    1e6f,
    -1e6f,
    1e-30f,
};
constexpr int kHostileCount = sizeof(kHostile) / sizeof(kHostile[0]);

// Past these a run takes long: a 360-degree level need not converge before the last step.
constexpr double kMaxSolverSteps = 300;
constexpr int kMaxLevels = 12;

}  // namespace

uint8_t FuzzInput::byte() { return at_ < size_ ? data_[at_++] : 0; }

float FuzzInput::raw_float() {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(byte()) << (8 * i);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

float FuzzInput::setting(float usual) {
  const uint8_t selector = byte();
  if (selector < 0x80) return usual;
  if (selector < 0x80 + kHostileCount) return kHostile[selector - 0x80];
  if (selector < 0xc0) return static_cast<float>(selector - 0xa0);  // -16 .. 31
  return raw_float();
}

void FuzzInput::fill(uint8_t* dst, size_t n) {
  const size_t left = size_ - at_;
  for (size_t i = 0; i < n; ++i) {
    dst[i] = left > 0 ? data_[at_ + i % left] : static_cast<uint8_t>(i * 7 + (i >> 6));
  }
  at_ = size_;
}

TmParam fuzz_settings(FuzzInput* in, const TmParam& usual) {
  TmParam p;
  for (int i = 0; i < 20; ++i) p.tmParam[i] = in->setting(usual.tmParam[i]);
  return p;
}

bool slow_booster_run(const TmParam& param, const PyramidDims& dims) {
  const float slider = param.tmParam[lftm::kBoosterSmoothingSlider];
  const double steps = 50.0 * std::pow(3.0, slider / 10.0);
  if (steps > kMaxSolverSteps && steps < 2147483648.0) return true;
  return dims.rang > kMaxLevels || dims.levels2 > kMaxLevels;
}

}  // namespace lftm_fuzz
