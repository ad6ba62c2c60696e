// SPDX-License-Identifier: BSD-3-Clause
#include "merge/bracket.h"

#include <algorithm>
#include <numeric>

namespace lftm {

std::vector<size_t> by_exposure(const Bracket& bracket) {
  std::vector<size_t> order(bracket.frames.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return bracket.frames[a].exposure < bracket.frames[b].exposure;
  });
  return order;
}

size_t reference_frame(const Bracket& bracket) {
  const std::vector<size_t> order = by_exposure(bracket);
  return order[order.size() / 2];
}

}  // namespace lftm
