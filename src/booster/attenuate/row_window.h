// SPDX-License-Identifier: BSD-3-Clause
// A three-row window over a level that is rewritten in place row by row: it keeps copies of
// the original rows y-1, y and y+1 while row y is being replaced. At row 0 it is filled with
// rows 0 to 2; at row 1 nothing moves; at every later row the rows move up by one and, below
// the last row, row y+1 is loaded. Rows come from a loader, so the same window serves rows
// copied from memory and rows streamed from a scratch file.
#ifndef LFTM_BOOSTER_ATTENUATE_ROW_WINDOW_H_
#define LFTM_BOOSTER_ATTENUATE_ROW_WINDOW_H_

#include <cstddef>
#include <cstring>

namespace lftm {

class RowWindow {
 public:
  // `space` holds 3 x width floats.
  RowWindow(float* space, int width, int height)
      : width_(static_cast<size_t>(width)), height_(height) {
    slot_[0] = space;
    slot_[1] = space + width_;
    slot_[2] = space + 2 * width_;
  }

  // Rows the window holds at the first row (up to three).
  int first_rows() const { return height_ < 3 ? height_ : 3; }

  // Moves the window to row y (called for y = 0, 1, 2, ... in order). `fill_first(space,
  // rows)` loads rows 0.. into the contiguous space; `load(row, dst)` loads one row. Both
  // return false on failure, which is passed on.
  template <typename FillFirst, typename Load>
  bool advance(int y, FillFirst fill_first, Load load) {
    if (y == 0) return fill_first(slot_[0], first_rows());
    if (y == 1) return true;
    float* oldest = slot_[0];
    slot_[0] = slot_[1];
    slot_[1] = slot_[2];
    slot_[2] = oldest;
    return y < height_ - 1 ? load(y + 1, slot_[2]) : true;
  }

  // advance(y) with the rows copied from `plane`, the level itself (width x height floats).
  void advance_over(int y, const float* plane) {
    const size_t rowBytes = width_ * sizeof(float);
    advance(
        y,
        [&](float* dst, int count) {
          std::memcpy(dst, plane, rowBytes * static_cast<size_t>(count));
          return true;
        },
        [&](int row, float* dst) {
          std::memcpy(dst, plane + static_cast<size_t>(row) * width_, rowBytes);
          return true;
        });
  }

  // The rows around row y after advance(y); up is null at row 0, down null at the last row.
  const float* up(int y) const { return y == 0 ? nullptr : slot_[0]; }
  const float* current(int y) const { return y == 0 ? slot_[0] : slot_[1]; }
  const float* down(int y) const {
    if (y >= height_ - 1) return nullptr;
    return y == 0 ? slot_[1] : slot_[2];
  }

 private:
  size_t width_;
  int height_;
  float* slot_[3];
};

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_ROW_WINDOW_H_
