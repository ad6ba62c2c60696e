// SPDX-License-Identifier: BSD-3-Clause
// Stage 1 and stage 2 on the bundled sample, as the file-to-file driver runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "settings/settings_table.h"
#include "support/diag_capture.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

struct Pyramid {
  ImageDesc desc{};
  PyramidDims dims{};
  TmParam param{};
  std::vector<float> work;
};

Pyramid stage_one(const TmParam& param) {
  Pyramid p;
  p.param = param;
  const std::string path = lftm_test::sample_path("golden_gate.hdr");
  HdrFileInfo info{};
  float primaries[8];
  EXPECT_GE(lftm::rgbe_read_header(path.c_str(), primaries, &info), 0);
  const int w = info.infos[LFTM_INFO_WIDTH], h = info.infos[LFTM_INFO_HEIGHT];
  const size_t pixels = static_cast<size_t>(w) * h;
  p.desc = ImageDesc{w, h, 3, 8, 8, 3 * w, 3 * w, 0, 0};
  EXPECT_GT(tm_dim(w, h, &p.param, &p.dims), 0);
  const size_t pyramid = static_cast<size_t>(std::max(p.dims.total, p.dims.total2));
  float expTable[256];
  lftm::build_exp_table(expTable);
  TmFiles files{};
  LumStats stats{};
  std::vector<uint8_t> input(std::max(4 * pyramid, 4 * pixels));
  p.work.assign(pyramid, 0.0f);
  EXPECT_EQ(lftm::rgbe_read_mem(path.c_str(), &info, input.data()), h);
  EXPECT_GE(calc_tm1(0, &p.desc, &p.param, &p.dims, &stats, expTable, nullptr, &info, &files,
                     nullptr, input.data(), p.work.data()),
            0);
  return p;
}

int stage_two(Pyramid& p, const TmFiles& files) {
  return calc_tm2(p.desc, p.dims.coarseW, p.dims.coarseH, p.dims.total, p.dims.rang, &p.param,
                  files, nullptr, nullptr, p.work.data());
}

void expect_luminance(const Pyramid& p) {
  const size_t pixels = static_cast<size_t>(p.desc.width) * p.desc.height;
  float lo = p.work[0], hi = p.work[0];
  for (size_t i = 0; i < pixels; ++i) {
    ASSERT_TRUE(std::isfinite(p.work[i])) << i;
    ASSERT_GT(p.work[i], 0.0f) << i;
    lo = std::min(lo, p.work[i]);
    hi = std::max(hi, p.work[i]);
  }
  EXPECT_GT(hi / lo, 3.0f);  // compressed, but not flattened
}

TEST(Stage1Stage2Chain, BundledSampleGivesAPositiveLuminancePlane) {
  lftm_test::DiagCapture quiet;
  TmParam param;
  tmparam_default(1, 0, &param);
  const Pyramid input = stage_one(param);
  const size_t pixels = static_cast<size_t>(input.desc.width) * input.desc.height;

  Pyramid memory = input;
  TmFiles files{};
  files.threads = 2;
  EXPECT_EQ(stage_two(memory, files), static_cast<int>(pixels));
  expect_luminance(memory);

  // Disk mode: the finest levels stream through scratch files, and the plane is left both in
  // the buffer and in the first file.
  lftm_test::TempDir dir;
  std::string paths[5];
  for (int i = 0; i < 5; ++i) {
    paths[i] = dir.file("tm1" + std::to_string(i + 1));
    lftm_test::write_file(paths[i], {});
  }
  TmFiles disk{};
  disk.readFromDisk = 1;
  disk.scratch1 = paths[0].c_str();
  disk.scratch2 = paths[1].c_str();
  disk.scratch3 = paths[2].c_str();
  disk.scratch4 = paths[3].c_str();
  disk.scratch5 = paths[4].c_str();
  Pyramid streamed = input;
  EXPECT_EQ(stage_two(streamed, disk), static_cast<int>(pixels));
  expect_luminance(streamed);
  std::vector<uint8_t> bytes = lftm_test::read_file(paths[0]);
  ASSERT_EQ(bytes.size(), 4 * pixels);
  EXPECT_EQ(std::memcmp(bytes.data(), streamed.work.data(), bytes.size()), 0);
  double worst = 0.0;
  for (size_t i = 0; i < pixels; ++i) {
    worst = std::max(worst, std::fabs(std::log(static_cast<double>(streamed.work[i]) / memory.work[i])));
  }
  EXPECT_LT(worst, 0.02);
}

TEST(Stage1Stage2Chain, LightSmoothingRunsTheMultigridWorker) {
  lftm_test::DiagCapture capture;
  TmParam param;
  tmparam_default(1, 0, &param);
  param.tmParam[lftm::kBoosterSmoothingMode] = 0.0f;
  param.tmParam[lftm::kBoosterSmoothingPreset] = 1.0f;
  Pyramid p = stage_one(param);
  TmFiles files{};
  files.threads = 2;
  EXPECT_EQ(stage_two(p, files), p.desc.height);
  EXPECT_NE(capture.out().find("calc_tm2old 1262x860"), std::string::npos);
  expect_luminance(p);
}

}  // namespace
