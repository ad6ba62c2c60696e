// SPDX-License-Identifier: BSD-3-Clause
#include "host/luminance_range.h"

#include <cmath>

#include "imageio/rgbe_reader.h"

namespace lftm {
namespace {

class RangeSum {
 public:
  void add(double luminance) {
    if (!(luminance > 0)) return;
    const double v = std::log(luminance);
    if (range_.count == 0 || v < range_.logMin) range_.logMin = v;
    if (range_.count == 0 || v > range_.logMax) range_.logMax = v;
    sum_ += v;
    ++range_.count;
  }

  LuminanceRange result() const {
    LuminanceRange range = range_;
    if (range.count > 0) range.logMean = sum_ / static_cast<double>(range.count);
    return range;
  }

 private:
  LuminanceRange range_;
  double sum_ = 0;
};

double weighted(double r, double g, double b) { return 0.2125 * r + 0.7154 * g + 0.0721 * b; }

}  // namespace

LuminanceRange measure_rgbe(const uint8_t* rgbe, int64_t width, int64_t height) {
  float expTable[256];
  build_exp_table(expTable);
  RangeSum sum;
  const size_t w = static_cast<size_t>(width);
  for (size_t j = 0; j < static_cast<size_t>(height); ++j) {
    const uint8_t* row = rgbe + 4 * w * j;
    for (size_t k = 0; k < w; ++k) {
      const uint8_t e = row[3 * w + k];
      if (e == 0) continue;
      sum.add(weighted(row[k], row[w + k], row[2 * w + k]) * expTable[e]);
    }
  }
  return sum.result();
}

LuminanceRange measure_linear(const float* values, size_t count, int32_t spp) {
  RangeSum sum;
  const size_t n = static_cast<size_t>(spp);
  for (size_t i = 0; i + n <= count; i += n) {
    sum.add(weighted(values[i], values[i + (n - 1) / 2], values[i + n - 1]));
  }
  return sum.result();
}

}  // namespace lftm
