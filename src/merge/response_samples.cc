// SPDX-License-Identifier: BSD-3-Clause
#include "merge/response_samples.h"

#include <algorithm>
#include <cstdlib>

namespace lftm {
namespace {

constexpr int kGrid = 96;      // candidates per side
constexpr int kBins = 64;      // brightness bins over the level range
constexpr size_t kPerBin = 3;  // samples kept per bin

struct Candidate {
  size_t pixel;
  uint32_t gradient;
};

uint32_t brightest(const Frame& f, size_t pixel) {
  return std::max({f.level(3 * pixel), f.level(3 * pixel + 1), f.level(3 * pixel + 2)});
}

// The largest step to a 4-neighbour over the three channels.
uint32_t local_gradient(const Frame& f, size_t pixel, size_t width) {
  uint32_t g = 0;
  const size_t neighbours[4] = {pixel - 1, pixel + 1, pixel - width, pixel + width};
  for (size_t n : neighbours) {
    for (size_t k = 0; k < 3; ++k) {
      const int d = static_cast<int>(f.level(3 * pixel + k)) - static_cast<int>(f.level(3 * n + k));
      g = std::max(g, static_cast<uint32_t>(std::abs(d)));
    }
  }
  return g;
}

}  // namespace

std::vector<size_t> choose_response_samples(const Bracket& bracket) {
  const Frame& ref = bracket.frames[reference_frame(bracket)];
  const int w = bracket.width, h = bracket.height;
  std::vector<std::vector<Candidate>> bins(kBins);
  if (w < 3 || h < 3) return {};
  const int stepX = std::max(1, (w - 2) / kGrid), stepY = std::max(1, (h - 2) / kGrid);
  for (int y = 1; y < h - 1; y += stepY) {
    for (int x = 1; x < w - 1; x += stepX) {
      const size_t pixel = static_cast<size_t>(y) * w + x;
      const uint32_t bin = brightest(ref, pixel) * kBins / bracket.levels();
      bins[bin].push_back({pixel, local_gradient(ref, pixel, static_cast<size_t>(w))});
    }
  }
  std::vector<size_t> samples;
  for (auto& bin : bins) {
    const size_t keep = std::min(kPerBin, bin.size());
    std::partial_sort(
        bin.begin(), bin.begin() + keep, bin.end(), [](const Candidate& a, const Candidate& b) {
          return a.gradient != b.gradient ? a.gradient < b.gradient : a.pixel < b.pixel;
        });
    for (size_t i = 0; i < keep; ++i) samples.push_back(bin[i].pixel);
  }
  return samples;
}

}  // namespace lftm
