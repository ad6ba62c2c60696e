// SPDX-License-Identifier: BSD-3-Clause
// Any float in any settings slot (NaN, infinities, +-1e30, negative counts) must leave every
// entry point defined: no crash, no hang, no write past a buffer, and a negative code when
// the value leaves no work that can be done.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/files.h"
#include "support/host_runs.h"
#include "support/image_files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"
#include "support/watchdog.h"
#include "lftm.h"
#include "settings/settings_table.h"

namespace {

using lftm_test::BoosterResult;
using lftm_test::BoosterSetup;
using lftm_test::QuietDiagnostics;
using lftm_test::SqueezerResult;
using lftm_test::Watchdog;

constexpr float kHostile[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              1e30f,
                              -1e30f,
                              -1.0f,
                              -100.0f};

std::string describe(const char* what, int slot, float value) {
  return std::string(what) + " slot " + std::to_string(slot) + " = " + std::to_string(value);
}

// Every (slot, hostile value) pair, each in a block that is otherwise `base`.
template <typename Body>
void for_each_hostile(const TmParam& base, Body body) {
  for (int slot = 0; slot < 20; ++slot) {
    for (float value : kHostile) {
      TmParam p = base;
      p.tmParam[slot] = value;
      body(slot, value, p);
    }
  }
}

TmParam booster_defaults(bool light) {
  TmParam p;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &p);
  if (light) p.tmParam[lftm::kBoosterSmoothingMode] = 0.0f;
  return p;
}

TEST(HostileSettings, TmDimRefusesOrDescribesAConsistentPyramid) {
  QuietDiagnostics quiet;
  for (bool light : {false, true}) {
    for_each_hostile(booster_defaults(light), [&](int slot, float value, const TmParam& p) {
      SCOPED_TRACE(describe("tm_dim", slot, value));
      PyramidDims dims;
      std::memset(&dims, 0x5a, sizeof dims);
      const PyramidDims untouched = dims;
      const int rang = tm_dim(64, 48, &p, &dims);
      if (dims.W0 != 64) {
        EXPECT_EQ(rang, -1);
        EXPECT_EQ(std::memcmp(&dims, &untouched, sizeof dims), 0);
        return;
      }
      EXPECT_EQ(rang, dims.rang);
      EXPECT_GE(dims.total, 64 * 48);
      EXPECT_GE(dims.total2, 64 * 48);
      EXPECT_GE(dims.coarseW, 1);
      EXPECT_GE(dims.minW, 1);
      EXPECT_GE(dims.levels2, 0);
    });
  }
}

// The three stages on a small image, slider and light smoothing, one and three workers.
TEST(HostileSettings, BoosterStagesStayInsideTheirBuffers) {
  QuietDiagnostics quiet;
  const lftm_test::RgbePlanar image = lftm_test::make_test_image(40, 28, 3);
  for (bool light : {false, true}) {
    for (int threads : {0, 3}) {
      for_each_hostile(booster_defaults(light), [&](int slot, float value, const TmParam& p) {
        const std::string what = describe(light ? "booster light" : "booster slider", slot,
                                          value) + " threads " + std::to_string(threads);
        SCOPED_TRACE(what);
        Watchdog watchdog(what);
        BoosterSetup setup;
        setup.threads = threads;
        setup.bits = slot % 2 == 0 ? 8 : 16;
        setup.planes = slot % 3 == 0 ? 3 : 0;
        const BoosterResult r = lftm_test::run_booster(image, p, setup);
        EXPECT_TRUE(r.buffersIntact);
        if (r.stage3 > 0) {
          EXPECT_LE(r.stage3, image.height);
        }
      });
    }
  }
}

// A slider of +inf asks for more solver steps than an int holds; with a 360-degree flag or a
// right-hand side of non-numbers from another hostile slot the solver would take them all.
TEST(HostileSettings, BoosterWithAnUnboundedSliderEnds) {
  QuietDiagnostics quiet;
  const lftm_test::RgbePlanar image = lftm_test::make_test_image(40, 28, 4);
  TmParam base = booster_defaults(false);
  base.tmParam[lftm::kBoosterSmoothingSlider] = std::numeric_limits<float>::infinity();
  for_each_hostile(base, [&](int slot, float value, const TmParam& p) {
    const std::string what = describe("booster with slider +inf", slot, value);
    SCOPED_TRACE(what);
    Watchdog watchdog(what, 60);
    BoosterSetup setup;
    setup.threads = 2;
    EXPECT_TRUE(lftm_test::run_booster(image, p, setup).buffersIntact);
  });
}

TEST(HostileSettings, SqueezerStaysInsideItsBuffers) {
  QuietDiagnostics quiet;
  const lftm_test::RgbePlanar image = lftm_test::make_test_image(37, 21, 5);
  TmParam base{};
  base.tmParam[lftm::kSqueezerBrightness] = 1.5f;
  base.tmParam[lftm::kSqueezerColorTemperature] = 2.0f;
  base.tmParam[lftm::kSqueezerSaturation] = 3.0f;
  for (bool floats : {false, true}) {
    for (int threads : {0, 3}) {
      for_each_hostile(base, [&](int slot, float value, const TmParam& p) {
        const std::string what = describe(floats ? "tm_simple floats" : "tm_simple rgbe", slot,
                                          value) + " threads " + std::to_string(threads);
        SCOPED_TRACE(what);
        Watchdog watchdog(what);
        const int bits = slot % 2 == 0 ? 16 : 8;
        const int planes = slot % 3 == 0 ? 3 : 0;
        const SqueezerResult r =
            lftm_test::run_squeezer(image, p, threads, floats, bits, planes);
        EXPECT_TRUE(r.buffersIntact);
        EXPECT_LE(r.result, image.height);
      });
    }
  }
}

// The drivers, disk mode included: a finished file or a negative code, and no scratch file
// left either way.
TEST(HostileSettings, DriversFinishOrRefuseCleanly) {
  QuietDiagnostics quiet;
  lftm_test::TempDir dir;
  const std::string in = lftm_test::write_hdr(dir.file("in.hdr"), 30, 22, 7);
  lftm_test::ScopedTmpdir tmp;
  TmParam squeezerBase{};
  squeezerBase.tmParam[lftm::kSqueezerSaturation] = 2.0f;
  for (int run = 0; run < 3; ++run) {
    const bool squeezer = run == 2;
    const TmParam base = squeezer ? squeezerBase : booster_defaults(run == 1);
    for_each_hostile(base, [&](int slot, float value, const TmParam& p) {
      const std::string what = describe(squeezer ? "tms" : run == 1 ? "tonemap disk light"
                                                                    : "tonemap slider",
                                        slot, value);
      SCOPED_TRACE(what);
      Watchdog watchdog(what);
      lftm_test::DriverRun r;
      r.method = squeezer ? lftm_test::Method::kSqueezer : lftm_test::Method::kBooster;
      r.in = in;
      r.out = dir.file("out.tif");
      r.disk = run == 1;
      r.bits = slot % 2 == 0 ? 8 : 16;
      r.params = &p;
      const int32_t result = lftm_test::run_driver(r);
      EXPECT_TRUE(result == 1 || result < 0) << result;
      EXPECT_EQ(lftm_test::file_exists(r.out), result == 1);
      EXPECT_TRUE(lftm_test::directory_entries(tmp.path()).empty());
      std::remove(r.out.c_str());
    });
  }
}

// The writer formats any finite value it is given, refuses the rest without creating a
// file, and what it wrote reads back.
TEST(HostileSettings, SidecarWritesAnyValueReadably) {
  QuietDiagnostics quiet;
  lftm_test::TempDir dir;
  const std::string path = dir.file("hostile.xmp");
  for (int method : {1, 2, 10, 11}) {
    for_each_hostile(booster_defaults(false), [&](int slot, float value, const TmParam& p) {
      SCOPED_TRACE(describe(("write_xmp method " + std::to_string(method)).c_str(), slot,
                            value));
      std::remove(path.c_str());
      const int32_t written = write_xmp(path.c_str(), method, &p);
      // -1e30 in the gamma slider is a finite slot whose gamma is infinite.
      if (!std::isfinite(value) || (slot == 8 && value == -1e30f)) {
        ASSERT_TRUE(written == 1 || written == -2) << written;
        if (written == -2) {
          EXPECT_FALSE(lftm_test::file_exists(path));
          return;
        }
      }
      ASSERT_EQ(written, 1);
      EXPECT_EQ(parse_xmp(path.c_str(), -1, nullptr), method);
      TmParam back = p;
      EXPECT_GT(parse_xmp(path.c_str(), method, &back), 0);
    });
  }
}

}  // namespace
