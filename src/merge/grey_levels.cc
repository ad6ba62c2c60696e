// SPDX-License-Identifier: BSD-3-Clause
#include "merge/grey_levels.h"

namespace lftm {

GreyImage rank_grey(const Bracket& bracket, const Frame& frame) {
  GreyImage g;
  g.width = bracket.width;
  g.height = bracket.height;
  const size_t n = bracket.pixels();
  const uint32_t shift = bracket.bits == 16 ? 8 : 0;
  g.grey.resize(n);
  uint64_t histogram[256] = {0};
  for (size_t i = 0; i < n; ++i) {
    const uint32_t v =
        (54 * (frame.level(3 * i) >> shift) + 183 * (frame.level(3 * i + 1) >> shift) +
         19 * (frame.level(3 * i + 2) >> shift)) >>
        8;
    g.grey[i] = static_cast<uint8_t>(v);
    ++histogram[v];
  }
  // The rank of a level: the fraction of pixels below it plus half of those at it.
  float rank[256];
  uint64_t below = 0;
  for (int v = 0; v < 256; ++v) {
    rank[v] = static_cast<float>((below + histogram[v] / 2.0) / static_cast<double>(n));
    below += histogram[v];
  }
  g.rank.resize(n);
  for (size_t i = 0; i < n; ++i) g.rank[i] = rank[g.grey[i]];
  return g;
}

GreyImage halve(const GreyImage& image) {
  GreyImage h;
  h.width = image.width / 2;
  h.height = image.height / 2;
  h.rank.resize(static_cast<size_t>(h.width) * h.height);
  h.grey.resize(h.rank.size());
  for (int y = 0; y < h.height; ++y) {
    for (int x = 0; x < h.width; ++x) {
      float r = 0;
      unsigned g = 0;
      for (int k = 0; k < 4; ++k) {
        const size_t at = static_cast<size_t>(2 * y + k / 2) * image.width + 2 * x + k % 2;
        r += image.rank[at];
        g += image.grey[at];
      }
      h.rank[static_cast<size_t>(y) * h.width + x] = 0.25f * r;
      h.grey[static_cast<size_t>(y) * h.width + x] = static_cast<uint8_t>(g / 4);
    }
  }
  return h;
}

}  // namespace lftm
