// SPDX-License-Identifier: BSD-3-Clause
// A bracket: the frames of one scene at different exposures, decoded upright as interleaved
// RGB samples of their own depth (8 or 16 bits; they stay that small until merged).
#ifndef LFTM_MERGE_BRACKET_H_
#define LFTM_MERGE_BRACKET_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "merge/frame_motion.h"

namespace lftm {

struct Frame {
  std::string path;
  double exposure = 0;              // relative exposure: seconds x ISO/100 / f-number^2
  std::vector<uint8_t> samples8;    // 8-bit frames
  std::vector<uint16_t> samples16;  // 16-bit frames
  // Set when the frame was resampled onto the reference: its pixel (x, y) then came from
  // motion.map(x, y) of the frame as shot, and holds nothing where that lies outside it.
  bool moved = false;
  FrameMotion motion;
  MotionMap placement;  // `motion`, ready for every pixel
  // Set by ghost removal: per pixel, how much the merge may take of this frame (255 all,
  // 0 nothing: it shows something the reference does not). Empty: everywhere all.
  std::vector<uint8_t> consistent;

  // The share of pixel i the merge may take, 0..1.
  float share(size_t pixel) const {
    return consistent.empty() ? 1.0f : consistent[pixel] * (1.0f / 255.0f);
  }

  // Sample i (pixel x 3 + channel) as a level of 0 .. levels - 1.
  uint32_t level(size_t i) const { return samples8.empty() ? samples16[i] : samples8[i]; }

  // Whether pixel (x, y) holds what the frame saw (always, unless it was moved).
  bool covers(int x, int y, int width, int height) const {
    if (!moved) return true;
    double fx = 0, fy = 0;
    placement.map(x, y, &fx, &fy);
    return lies_within(fx, fy, width, height);
  }

  // Whether the point (fx, fy) of the frame as shot lies within its pixels.
  static bool lies_within(double fx, double fy, int width, int height) {
    return fx >= 0 && fy >= 0 && fx <= width - 1 && fy <= height - 1;
  }
};

struct Bracket {
  int width = 0;
  int height = 0;
  int bits = 8;  // of every frame
  std::vector<Frame> frames;

  uint32_t levels() const { return bits == 16 ? 65536u : 256u; }
  size_t pixels() const { return static_cast<size_t>(width) * static_cast<size_t>(height); }
};

// Indices of the frames from the shortest exposure to the longest (stable for equal ones).
std::vector<size_t> by_exposure(const Bracket& bracket);

// The frame the others are measured against: the middle exposure.
size_t reference_frame(const Bracket& bracket);

}  // namespace lftm

#endif  // LFTM_MERGE_BRACKET_H_
