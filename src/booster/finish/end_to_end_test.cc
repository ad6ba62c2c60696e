// SPDX-License-Identifier: BSD-3-Clause
// The three Texture Booster stages in memory on the bundled sample, as the file-to-file
// driver runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "support/diag_capture.h"
#include "support/files.h"

namespace {

struct Booster {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> samples;  // 8-bit interleaved RGB
  bool planeFinite = true;
};

Booster run_booster(int threads) {
  Booster b;
  const std::string path = lftm_test::sample_path("golden_gate.hdr");
  HdrFileInfo info{};
  float primaries[8];
  EXPECT_GE(lftm::rgbe_read_header(path.c_str(), primaries, &info), 0);
  const int w = b.width = info.infos[LFTM_INFO_WIDTH];
  const int h = b.height = info.infos[LFTM_INFO_HEIGHT];
  const size_t pixels = static_cast<size_t>(w) * h;

  TmParam param;
  tmparam_default(1, 0, &param);
  ImageDesc desc{w, h, 3, 8, 8, 3 * w, 3 * w, 0, 0};
  PyramidDims dims{};
  EXPECT_GT(tm_dim(w, h, &param, &dims), 0);
  const size_t pyramid = static_cast<size_t>(std::max(dims.total, dims.total2));
  float expTable[256];
  lftm::build_exp_table(expTable);

  TmFiles files{};
  files.threads = threads;
  LumStats stats{};
  std::vector<uint8_t> input(std::max(4 * pyramid, 4 * pixels));
  std::vector<float> work(std::max(pyramid, (3 * pixels + 3) / 4));
  lftm_test::DiagCapture quiet;
  EXPECT_EQ(lftm::rgbe_read_mem(path.c_str(), &info, input.data()), h);
  EXPECT_GE(calc_tm1(0, &desc, &param, &dims, &stats, expTable, nullptr, &info, &files, nullptr,
                     input.data(), work.data()),
            0);
  EXPECT_GE(calc_tm2(desc, dims.coarseW, dims.coarseH, dims.total, dims.rang, &param, files,
                     nullptr, nullptr, work.data()),
            0);

  std::vector<float> lum(work.begin(), work.begin() + static_cast<ptrdiff_t>(pixels));
  std::vector<uint8_t> again(4 * pixels);
  EXPECT_EQ(lftm::rgbe_read_mem(path.c_str(), &info, again.data()), h);
  EXPECT_EQ(calc_tm3(0, &desc, &param, &stats, expTable, nullptr, &files, again.data(),
                     lum.data(), work.data()),
            threads < 2 ? h : h - (threads - 1) * (h / threads));
  for (float v : lum) b.planeFinite = b.planeFinite && std::isfinite(v);
  const auto* bytes = reinterpret_cast<const uint8_t*>(work.data());
  b.samples.assign(bytes, bytes + 3 * pixels);
  return b;
}

// A binary PPM beside the test, and a PNG made from it when the converter is installed.
void save_for_viewing(const Booster& b, const std::string& stem) {
  std::string ppm = stem + ".ppm";
  std::FILE* f = std::fopen(ppm.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fprintf(f, "P6\n%d %d\n255\n", b.width, b.height);
  std::fwrite(b.samples.data(), 1, b.samples.size(), f);
  std::fclose(f);
  std::string command = "command -v convert >/dev/null 2>&1 && convert " + ppm + " " + stem +
                        ".png >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) std::printf("PNG not made; view %s\n", ppm.c_str());
}

TEST(TextureBoosterEndToEnd, BundledSampleGivesAPlausibleImage) {
  Booster one = run_booster(1);
  ASSERT_EQ(one.samples.size(), 3u * 1262 * 860);
  EXPECT_TRUE(one.planeFinite);
  save_for_viewing(one, std::string(LFTM_STAGE3_ARTIFACTS) + "/golden_gate_booster");

  // Luma of every pixel: a real picture has spread, mid-tones and few pixels lost to black
  // or white (single channels may clip: the dusk sky is a saturated blue).
  std::vector<int> luma(one.samples.size() / 3);
  size_t clipped = 0;
  for (size_t k = 0; k < luma.size(); ++k) {
    const uint8_t* px = &one.samples[3 * k];
    luma[k] = (2126 * px[0] + 7152 * px[1] + 722 * px[2]) / 10000;
    clipped += (luma[k] <= 2 || luma[k] >= 253);
  }
  std::vector<int> sorted = luma;
  std::sort(sorted.begin(), sorted.end());
  int p5 = sorted[sorted.size() / 20];
  int median = sorted[sorted.size() / 2];
  int p95 = sorted[sorted.size() * 19 / 20];
  EXPECT_GT(p95 - p5, 80) << p5 << " " << p95;
  EXPECT_GT(median, 50);
  EXPECT_LT(median, 200);
  EXPECT_LT(clipped, luma.size() / 100);

  // The worker count never changes the picture.
  EXPECT_EQ(run_booster(0).samples, one.samples);
  EXPECT_EQ(run_booster(2).samples, one.samples);
}

}  // namespace
