// SPDX-License-Identifier: BSD-3-Clause
// Four host threads tone map four different images at the same time, with both methods,
// through the stages and through the drivers; each result must be the one the same run gives
// alone. (Run under ThreadSanitizer as well.)
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/host_runs.h"
#include "support/image_files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"
#include "support/watchdog.h"
#include "settings/settings_table.h"

namespace {

using lftm_test::BoosterResult;
using lftm_test::BoosterSetup;
using lftm_test::SqueezerResult;

constexpr int kHosts = 4;

struct Shape {
  int width, height;
  uint32_t seed;
};
constexpr Shape kImages[kHosts] = {{96, 64, 11}, {80, 72, 12}, {120, 50, 13}, {64, 96, 14}};

// What one host computes with the stages and tm_simple.
struct StageOutputs {
  BoosterResult booster;
  SqueezerResult squeezer;
};

StageOutputs stage_run(int host) {
  const lftm_test::RgbePlanar image =
      lftm_test::make_test_image(kImages[host].width, kImages[host].height, kImages[host].seed);
  TmParam booster;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &booster);
  // Light smoothing: the multigrid worker.
  if (host % 2 == 1) booster.tmParam[lftm::kBoosterSmoothingMode] = 0.0f;
  BoosterSetup setup;
  setup.threads = 2 + host % 2;
  setup.bits = host < 2 ? 8 : 16;
  setup.planes = host == 3 ? 3 : 0;
  TmParam squeezer{};
  squeezer.tmParam[lftm::kSqueezerBrightness] = 1.0f;
  squeezer.tmParam[lftm::kSqueezerColorTemperature] = -1.0f;
  squeezer.tmParam[lftm::kSqueezerSaturation] = 2.0f;
  StageOutputs out;
  out.booster = lftm_test::run_booster(image, booster, setup);
  out.squeezer = lftm_test::run_squeezer(image, squeezer, 3, host % 2 == 1, setup.bits,
                                         setup.planes);
  return out;
}

TEST(ConcurrentHosts, StagesGiveTheSameImagesAsAlone) {
  lftm_test::QuietDiagnostics quiet;
  std::vector<StageOutputs> alone(kHosts);
  for (int h = 0; h < kHosts; ++h) {
    alone[h] = stage_run(h);
    ASSERT_GT(alone[h].booster.stage3, 0) << h;
    ASSERT_GT(alone[h].squeezer.result, 0) << h;
  }
  for (int round = 0; round < 2; ++round) {
    lftm_test::Watchdog watchdog("concurrent stage runs");
    std::vector<StageOutputs> together(kHosts);
    std::vector<std::thread> hosts;
    for (int h = 0; h < kHosts; ++h) {
      hosts.emplace_back([h, &together] { together[h] = stage_run(h); });
    }
    for (std::thread& t : hosts) t.join();
    for (int h = 0; h < kHosts; ++h) {
      SCOPED_TRACE("host " + std::to_string(h) + " round " + std::to_string(round));
      EXPECT_EQ(together[h].booster.stage3, alone[h].booster.stage3);
      EXPECT_TRUE(together[h].booster.output == alone[h].booster.output);
      EXPECT_EQ(together[h].squeezer.result, alone[h].squeezer.result);
      EXPECT_TRUE(together[h].squeezer.output == alone[h].squeezer.output);
    }
  }
}

class ConcurrentDrivers : public ::testing::Test {
 protected:
  // Host h: tonemap (disk mode on odd hosts) and tms on its own image, into its own files.
  void drive(int host, const std::string& tag, int32_t results[2]) {
    lftm_test::DriverRun booster;
    booster.method = lftm_test::Method::kBooster;
    booster.in = inputs_[host];
    booster.out = dir_.file("booster_" + std::to_string(host) + tag + ".tif");
    booster.disk = host % 2 == 1;
    booster.threads = 2;
    booster.bits = host < 2 ? 8 : 16;
    lftm_test::DriverRun squeezer = booster;
    squeezer.method = lftm_test::Method::kSqueezer;
    squeezer.disk = false;
    squeezer.out = dir_.file("squeezer_" + std::to_string(host) + tag + ".tif");
    results[0] = lftm_test::run_driver(booster);
    results[1] = lftm_test::run_driver(squeezer);
  }

  lftm_test::TempDir dir_;
  std::vector<std::string> inputs_;
};

TEST_F(ConcurrentDrivers, GiveTheSameFilesAsAlone) {
  lftm_test::QuietDiagnostics quiet;
  for (int h = 0; h < kHosts; ++h) {
    inputs_.push_back(lftm_test::write_hdr(dir_.file("in" + std::to_string(h) + ".hdr"),
                                           kImages[h].width, kImages[h].height,
                                           kImages[h].seed));
  }
  for (int h = 0; h < kHosts; ++h) {
    int32_t results[2];
    drive(h, "_alone", results);
    ASSERT_EQ(results[0], 1) << h;
    ASSERT_EQ(results[1], 1) << h;
  }
  int32_t results[kHosts][2];
  {
    lftm_test::Watchdog watchdog("concurrent driver runs");
    std::vector<std::thread> hosts;
    for (int h = 0; h < kHosts; ++h) {
      hosts.emplace_back([this, h, &results] { drive(h, "_together", results[h]); });
    }
    for (std::thread& t : hosts) t.join();
  }
  for (int h = 0; h < kHosts; ++h) {
    SCOPED_TRACE("host " + std::to_string(h));
    for (const char* method : {"booster_", "squeezer_"}) {
      const std::string stem = dir_.file(method + std::to_string(h));
      EXPECT_EQ(results[h][method[0] == 'b' ? 0 : 1], 1) << method;
      const std::vector<uint16_t> alone = lftm_test::tiff_samples(stem + "_alone.tif");
      ASSERT_FALSE(alone.empty()) << method;
      EXPECT_TRUE(lftm_test::tiff_samples(stem + "_together.tif") == alone) << method;
    }
  }
}

}  // namespace
