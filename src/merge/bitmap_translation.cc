// SPDX-License-Identifier: BSD-3-Clause
// The median threshold bitmap search (part of motion_search.h).
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "merge/motion_search.h"

namespace lftm {
namespace {

// The bitmap search stops at this width: below the full size the refinement takes over.
constexpr int kWidestBitmap = 1024;
constexpr float kNearMedian = 0.02f;  // ranks this close to the median are left out
constexpr uint64_t kFewestCompared = 64;

struct Bitmap {
  int width, height;
  std::vector<uint8_t> bit;   // 1 above the median
  std::vector<uint8_t> sure;  // 1 when far enough from the median to count
};

Bitmap threshold(const GreyImage& g, float cut) {
  Bitmap b{g.width, g.height, std::vector<uint8_t>(g.rank.size()),
           std::vector<uint8_t>(g.rank.size())};
  for (size_t i = 0; i < g.rank.size(); ++i) {
    b.bit[i] = g.rank[i] > cut;
    b.sure[i] = std::abs(g.rank[i] - cut) > kNearMedian && measured_grey(g.grey[i]);
  }
  return b;
}

// The fractions of an image's pixels that are black and that are not clipped.
void measured_ranks(const GreyImage& g, double* low, double* high) {
  size_t black = 0, clipped = 0;
  for (uint8_t v : g.grey) {
    black += v <= 4;
    clipped += v >= 250;
  }
  *low = static_cast<double>(black) / g.grey.size();
  *high = 1.0 - static_cast<double>(clipped) / g.grey.size();
}

// The share of pixels that differ among those both bitmaps are sure of, with `frame` shifted
// by (dx, dy). A share, not a count: a larger shift overlaps fewer pixels, and a count would
// favour it wherever few pixels are sure (a frame mostly clipped or black). 1 when fewer
// than kFewestCompared pixels are compared.
double differences(const Bitmap& ref, const Bitmap& frame, int dx, int dy) {
  uint64_t count = 0, compared = 0;
  for (int y = std::max(0, -dy); y < std::min(ref.height, ref.height - dy); ++y) {
    const size_t r = static_cast<size_t>(y) * ref.width;
    const size_t f = static_cast<size_t>(y + dy) * frame.width;
    for (int x = std::max(0, -dx); x < std::min(ref.width, ref.width - dx); ++x) {
      const unsigned both = ref.sure[r + x] & frame.sure[f + x + dx];
      count += (ref.bit[r + x] ^ frame.bit[f + x + dx]) & both;
      compared += both;
    }
  }
  return compared < kFewestCompared ? 1.0 : static_cast<double>(count) / compared;
}

}  // namespace

float shared_threshold(const GreyImage& a, const GreyImage& b) {
  double lowA = 0, highA = 0, lowB = 0, highB = 0;
  measured_ranks(a, &lowA, &highA);
  measured_ranks(b, &lowB, &highB);
  const double low = std::max(lowA, lowB), high = std::min(highA, highB);
  return high - low < 0.02 ? -1.0f : static_cast<float>(0.5 * (low + high));
}

void bitmap_translation(const std::vector<GreyImage>& ref, const std::vector<GreyImage>& frame,
                        float cut, int* dx, int* dy) {
  int sx = 0, sy = 0;
  for (size_t level = ref.size(); level-- > 0;) {
    sx *= 2;
    sy *= 2;
    if (ref[level].width > kWidestBitmap) continue;
    const Bitmap r = threshold(ref[level], cut), f = threshold(frame[level], cut);
    // The current estimate wins ties: a level that tells nothing must not move it.
    double best = differences(r, f, sx, sy);
    int bx = sx, by = sy;
    for (int j = -1; j <= 1; ++j) {
      for (int i = -1; i <= 1; ++i) {
        const double d = differences(r, f, sx + i, sy + j);
        if (d < best) {
          best = d;
          bx = sx + i;
          by = sy + j;
        }
      }
    }
    sx = bx;
    sy = by;
  }
  *dx = sx;
  *dy = sy;
}

std::vector<GreyImage> grey_pyramid(GreyImage full) {
  std::vector<GreyImage> levels;
  levels.push_back(std::move(full));
  while (levels.back().width >= 32 && levels.back().height >= 32 && levels.size() < 10) {
    levels.push_back(halve(levels.back()));
  }
  return levels;
}

}  // namespace lftm
