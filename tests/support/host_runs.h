// SPDX-License-Identifier: BSD-3-Clause
// The two tone-mapping methods run on buffers the way a host runs them, every buffer of
// exactly the size the interface documents and guarded against writes past its end.
#ifndef LFTM_TESTS_SUPPORT_HOST_RUNS_H_
#define LFTM_TESTS_SUPPORT_HOST_RUNS_H_

#include <cstdint>
#include <vector>

#include "lftm.h"
#include "support/rgbe_images.h"

namespace lftm_test {

// How a host runs the Texture Booster stages on its own buffers (memory mode).
struct BoosterSetup {
  int threads = 0;
  int bits = 8;
  int planes = 0;
};

struct BoosterResult {
  int dims = 0;  // tm_dim's result, -1 when it refused the image
  int stage1 = 0, stage2 = 0, stage3 = 0;  // 0 for a stage that did not run
  LumStats stats{};
  std::vector<uint8_t> output;  // stage 3's samples
  bool buffersIntact = true;    // no write past any buffer
};

// tm_dim, calc_tm1, calc_tm2 and calc_tm3 on RGBE planar bytes; a stage that fails ends the
// run.
BoosterResult run_booster(const RgbePlanar& image, const TmParam& param,
                          const BoosterSetup& setup);

struct SqueezerResult {
  int result = 0;
  std::vector<uint8_t> output;
  bool buffersIntact = true;
};

// logMinMaxMoy and tm_simple on the image (RGBE planar bytes, or its linear values as
// interleaved floats), interleaved or planar output of `bits` bits.
SqueezerResult run_squeezer(const RgbePlanar& image, const TmParam& param, int threads,
                            bool floats, int bits, int planes);

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_HOST_RUNS_H_
