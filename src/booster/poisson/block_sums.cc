// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/block_sums.h"

#include "platform/workers.h"

namespace lftm {

BlockedSum::BlockedSum(int threads, int64_t n)
    : n_(n > 0 ? n : 0),
      blocks_((n_ + kSumBlock - 1) / kSumBlock),
      workers_(clamp_workers(threads)) {
  if (workers_ < 2) return;
  if (blocks_ <= kLocalBlocks) {
    table_ = local_;
    return;
  }
  if (heap_.allocate(static_cast<size_t>(blocks_))) {
    table_ = heap_.get();
  } else {
    workers_ = 1;
  }
}

VecChunk block_run(int run, int runs, int64_t n) {
  const int64_t blocks = (n + kSumBlock - 1) / kSumBlock;
  const int64_t first = blocks * run / runs;
  const int64_t last = blocks * (run + 1) / runs;
  const int64_t end = last * kSumBlock < n ? last * kSumBlock : n;
  return VecChunk{first * kSumBlock, end};
}

VecChunk BlockedSum::run(int t) const { return block_run(t, workers_, n_); }

BlockSums BlockedSum::sums(int t) {
  if (workers_ < 2) return BlockSums(nullptr, &running_);
  return BlockSums(table_ + blocks_ * t / workers_, nullptr);
}

void BlockedSum::for_each_run(const std::function<void(int)>& body) {
  run_tiles(workers_, body);
}

float BlockedSum::total() const {
  if (workers_ < 2) return running_;
  float total = 0.0f;
  for (int64_t k = 0; k < blocks_; ++k) total += table_[k];
  return total;
}

void BlockDot::add(const float* a, const float* b, int64_t count) {
  int64_t i = 0;
  while (i < count) {
    const int64_t room = kSumBlock - position_ % kSumBlock;
    const int64_t stop = count - i < room ? count : i + room;
    open_.add(static_cast<int>(position_ % kSumLanes), a + i, b + i, stop - i);
    position_ += stop - i;
    i = stop;
    if (position_ % kSumBlock == 0) {
      sums_->put(open_.fold());
      open_.clear();
    }
  }
}

void BlockDot::finish() {
  if (!has_open()) return;
  sums_->put(open_.fold());
  open_.clear();
  position_ += kSumBlock - position_ % kSumBlock;
}

}  // namespace lftm
