// SPDX-License-Identifier: BSD-3-Clause
#include "merge/bracket_sets.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace lftm {
namespace {

// Exposures within a sixth of a stop count as the same setting (EXIF rounds times).
bool same_exposure(double a, double b) {
  return a > 0 && b > 0 && std::fabs(std::log2(a / b)) < 1.0 / 6;
}

std::vector<size_t> shooting_order(const std::vector<FrameShot>& shots) {
  std::vector<size_t> order(shots.size());
  std::iota(order.begin(), order.end(), 0);
  const bool timed = std::all_of(shots.begin(), shots.end(),
                                 [](const FrameShot& s) { return s.capture > 0; });
  if (timed) {
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return shots[a].capture < shots[b].capture; });
  }
  return order;
}

bool paused_between(const FrameShot& previous, const FrameShot& next) {
  if (previous.capture <= 0 || next.capture <= 0) return false;
  return next.capture - (previous.capture + previous.seconds) > kSetPauseSeconds;
}

}  // namespace

std::vector<int32_t> sets_of_size(int32_t count, int32_t size) {
  std::vector<int32_t> sets(static_cast<size_t>(std::max(count, 0)));
  for (size_t i = 0; i < sets.size(); ++i) sets[i] = static_cast<int32_t>(i) / std::max(size, 1);
  return sets;
}

std::vector<int32_t> sets_by_shots(const std::vector<FrameShot>& shots) {
  std::vector<int32_t> sets(shots.size(), 0);
  std::vector<double> current;  // exposures of the set being gathered
  int32_t set = 0;
  const FrameShot* previous = nullptr;     // the frame before
  const FrameShot* lastTimed = nullptr;    // the latest frame with a capture time
  for (size_t i : shooting_order(shots)) {
    const FrameShot& shot = shots[i];
    const bool repeated = std::any_of(current.begin(), current.end(), [&](double e) {
      return same_exposure(e, shot.exposure);
    });
    const bool paused = lastTimed != nullptr && paused_between(*lastTimed, shot);
    if (previous != nullptr && (repeated || paused)) {
      ++set;
      current.clear();
    }
    if (shot.exposure > 0) current.push_back(shot.exposure);
    sets[i] = set;
    previous = &shot;
    if (shot.capture > 0) lastTimed = &shot;
  }
  return sets;
}

}  // namespace lftm
