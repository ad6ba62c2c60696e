// SPDX-License-Identifier: BSD-3-Clause
// Large benchmark images made from the bundled samples.
#ifndef LFTM_BENCH_BENCH_IMAGES_H_
#define LFTM_BENCH_BENCH_IMAGES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace lftm_bench {

// A width x height image in RGBE planar bytes (per row: red, green, blue and exponent runs of
// `width` bytes), made by repeating the decoded sample `name` from samples/ across and down.
// The sample is decoded once per process. Aborts the benchmark binary when it cannot be read.
std::vector<uint8_t> tiled_sample(int width, int height,
                                  const std::string& name = "golden_gate.hdr");

// The 256-entry RGBE exponent table.
std::vector<float> exp_table();

}  // namespace lftm_bench

#endif  // LFTM_BENCH_BENCH_IMAGES_H_
