// SPDX-License-Identifier: BSD-3-Clause
// The summation order of every dot product of the solver. A vector of n positions is cut into
// blocks of kSumBlock positions counted from position 0; each block is summed in the fixed
// lanes of lane_sums.h, and the block sums are added in block order to a float total
// starting from 0. Workers take runs of whole blocks and the disk form streams its
// strips through the same blocks, so a dot product has the same bits whatever the worker
// count and in memory or on disk.
#ifndef LFTM_BOOSTER_POISSON_BLOCK_SUMS_H_
#define LFTM_BOOSTER_POISSON_BLOCK_SUMS_H_

#include <cstdint>
#include <functional>

#include "booster/poisson/lane_sums.h"
#include "platform/heap_buffer.h"

namespace lftm {

constexpr int64_t kSumBlock = 4096;
static_assert(kSumBlock % kSumLanes == 0, "blocks hold whole groups of lanes");

struct VecChunk {
  int64_t begin;
  int64_t end;  // one past the last position; begin >= end means no work
};

// Positions of run `run` of `runs` over n positions: the blocks from floor(run B / runs) to
// floor((run + 1) B / runs) of the B blocks, the last one cut at n. `runs` is at least 1.
VecChunk block_run(int run, int runs, int64_t n);

// Where the sums of a run of blocks go, one put() per block in block order: consecutive
// slots of a table, or straight into a running total when all blocks come in order.
class BlockSums {
 public:
  BlockSums(float* slots, float* running) : slot_(slots), running_(running) {}
  void put(float block_sum) {
    if (slot_ != nullptr) {
      *slot_++ = block_sum;
    } else {
      *running_ += block_sum;
    }
  }

 private:
  float* slot_;
  float* running_;
};

// The split of one n-vector reduction over `threads` workers (clamped to 1..32), worker t
// taking block_run(t, workers(), n). With one worker, or when the table of block sums cannot
// be allocated, everything runs on the calling thread as a single run.
class BlockedSum {
 public:
  BlockedSum(int threads, int64_t n);
  BlockedSum(const BlockedSum&) = delete;
  BlockedSum& operator=(const BlockedSum&) = delete;

  int workers() const { return workers_; }
  VecChunk run(int t) const;
  BlockSums sums(int t);
  // Runs body(t) for every worker: on the calling thread when there is one, else one
  // thread each, the calling thread taking the runs whose thread could not start.
  void for_each_run(const std::function<void(int)>& body);
  // The block sums added in block order.
  float total() const;

 private:
  static constexpr int64_t kLocalBlocks = 256;
  int64_t n_;
  int64_t blocks_;
  int workers_;
  float* table_ = nullptr;  // local_, or heap_ for more than kLocalBlocks blocks
  float local_[kLocalBlocks];
  HeapBuffer<float> heap_;
  float running_ = 0.0f;
};

// A dot product fed piece by piece in position order from a block boundary on: the products
// are summed into the open block, and each block's sum goes to `sums` once the block is
// complete (the last, partial one by finish()).
class BlockDot {
 public:
  explicit BlockDot(BlockSums* sums) : sums_(sums) {}
  // The next `count` positions: a[i] x b[i] for i in [0, count).
  void add(const float* a, const float* b, int64_t count);
  // Puts the sum of the partial block at the end, if there is one.
  void finish();
  // The sum of the open block so far and whether it has any position.
  float open() const { return open_.fold(); }
  bool has_open() const { return position_ % kSumBlock != 0; }

 private:
  BlockSums* sums_;
  int64_t position_ = 0;
  LaneSums open_;
};

// A dot product over the pieces of a vector given one after another (the strips of the disk
// form), with the value so far at any point.
class StreamedDot {
 public:
  void add(const float* a, const float* b, int64_t count) { dot_.add(a, b, count); }
  float total() const { return dot_.has_open() ? completed_ + dot_.open() : completed_; }

 private:
  float completed_ = 0.0f;  // completed blocks, in block order
  BlockSums fold_{nullptr, &completed_};
  BlockDot dot_{&fold_};
};

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_BLOCK_SUMS_H_
