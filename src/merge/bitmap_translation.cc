// The median threshold bitmap search (part of motion_search.h).
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "merge/motion_search.h"

namespace lftm {
namespace {

// The bitmap search stops at this width: below the full size the refinement takes over.
constexpr int kWidestBitmap = 1024;
constexpr float kNearMedian = 0.02f;  // ranks this close to the median are left out

struct Bitmap {
  int width, height;
  std::vector<uint8_t> bit;   // 1 above the median
  std::vector<uint8_t> sure;  // 1 when far enough from the median to count
};

Bitmap threshold(const GreyImage& g) {
  Bitmap b{g.width, g.height, std::vector<uint8_t>(g.rank.size()),
           std::vector<uint8_t>(g.rank.size())};
  for (size_t i = 0; i < g.rank.size(); ++i) {
    b.bit[i] = g.rank[i] > 0.5f;
    b.sure[i] = std::abs(g.rank[i] - 0.5f) > kNearMedian;
  }
  return b;
}

// Pixels that differ where both bitmaps are sure, with `frame` shifted by (dx, dy).
uint64_t differences(const Bitmap& ref, const Bitmap& frame, int dx, int dy) {
  uint64_t count = 0;
  for (int y = std::max(0, -dy); y < std::min(ref.height, ref.height - dy); ++y) {
    const size_t r = static_cast<size_t>(y) * ref.width;
    const size_t f = static_cast<size_t>(y + dy) * frame.width;
    for (int x = std::max(0, -dx); x < std::min(ref.width, ref.width - dx); ++x) {
      count += (ref.bit[r + x] ^ frame.bit[f + x + dx]) & ref.sure[r + x] & frame.sure[f + x + dx];
    }
  }
  return count;
}

}  // namespace

void bitmap_translation(const std::vector<GreyImage>& ref, const std::vector<GreyImage>& frame,
                        int* dx, int* dy) {
  int sx = 0, sy = 0;
  for (size_t level = ref.size(); level-- > 0;) {
    sx *= 2;
    sy *= 2;
    if (ref[level].width > kWidestBitmap) continue;
    const Bitmap r = threshold(ref[level]), f = threshold(frame[level]);
    uint64_t best = std::numeric_limits<uint64_t>::max();
    int bx = sx, by = sy;
    for (int j = -1; j <= 1; ++j) {
      for (int i = -1; i <= 1; ++i) {
        const uint64_t d = differences(r, f, sx + i, sy + j);
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
