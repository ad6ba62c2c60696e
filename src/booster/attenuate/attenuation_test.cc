// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/attenuation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/workers.h"
#include "support/diag_capture.h"

namespace {

int count_lines(const std::string& text, const std::string& start) {
  int n = 0;
  for (size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1)) ++n;
  return n;
}

std::vector<float> magnitudes(int count) {
  std::vector<float> v(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) v[i] = (i % 7 == 0) ? 0.0f : 0.01f * (i % 113) + 0.003f;
  return v;
}

TEST(AttenuationTest, BandAppliesThePowerLawToItsRowsOnly) {
  std::vector<float> buf = magnitudes(40);  // 4 rows of 10
  const std::vector<float> before = buf;
  EXPECT_EQ(lftm::attenuate_band(10, 2, 10, 0.2f, -0.07f, 0.05f, buf.data()), 2);
  for (int i = 0; i < 40; ++i) {
    if (i < 10 || i >= 30 || before[i] == 0.0f) {
      EXPECT_EQ(buf[i], before[i]) << i;
    } else {
      const float base = (before[i] + 0.05f) / 0.2f;
      EXPECT_EQ(buf[i], static_cast<float>(std::pow(static_cast<double>(base), -0.07f))) << i;
    }
  }
}

TEST(AttenuationTest, ThreadedLevelsMatchTheCallingThreadExactly) {
  const int w = 101, h = 67;
  const std::vector<float> input = magnitudes(w * h + 5);
  std::vector<float> single = input;
  lftm::attenuate_level(single.data(), 5, w, h, 0.3f, -0.07f, 0.02f, 1);

  struct Case {
    int threads;
    int startsAllowed;
    int bands;
  };
  // 40 threads are brought down to 32; a worker that cannot start leaves its band (and the
  // later ones) to the calling thread, and every band still passes exactly once.
  for (Case c : {Case{4, -1, 4}, Case{40, -1, 32}, Case{6, 2, 6}, Case{6, 0, 6}}) {
    std::vector<float> threaded = input;
    lftm_test::DiagCapture capture;
    lftm::simulate_thread_start_failure(c.startsAllowed);
    lftm::attenuate_level(threaded.data(), 5, w, h, 0.3f, -0.07f, 0.02f, c.threads);
    lftm::simulate_thread_start_failure(-1);
    EXPECT_EQ(threaded, single) << c.threads << " threads";
    EXPECT_EQ(count_lines(capture.out(), "tm1b_threaded"), c.bands);
  }

  lftm_test::DiagCapture capture;
  std::vector<float> three = input;
  lftm::attenuate_level(three.data(), 5, w, h, 0.3f, -0.07f, 0.02f, 3);
  // 67 rows in three bands: 22, 22 and the last one takes 23.
  EXPECT_NE(capture.out().find("tm1b_threaded 101 x 67  -  yTile=44, hTile=23, ofs=4449\n"),
            std::string::npos);
}

TEST(AttenuationTest, SmallLevelsStayOnTheCallingThread) {
  for (int h : {30, 31}) {  // 40 x 30 = 1200 pixels stays, 40 x 31 = 1240 is split
    std::vector<float> buf = magnitudes(40 * h);
    lftm_test::DiagCapture capture;
    lftm::attenuate_level(buf.data(), 0, 40, h, 0.3f, -0.07f, 0.02f, 8);
    EXPECT_EQ(count_lines(capture.out(), "tm1b_threaded"), h == 30 ? 0 : 8);
  }
}

}  // namespace
