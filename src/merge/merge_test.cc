// SPDX-License-Identifier: BSD-3-Clause
// The merge: a response recovered from synthetic frames, a known radiance merged back, and
// the public calls on JPEG frames (EXIF, orientation, one go against two steps, bad input).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "lftm_host.h"
#include "merge/align_bracket.h"
#include "merge/bracket_scene.h"
#include "merge/camera_response.h"
#include "merge/ghost_mask.h"
#include "merge/radiance_merge.h"
#include "merge/response_fit.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

using lftm_test::Scene;

const std::vector<double> kExposures = {1.0 / 16, 1.0 / 4, 1.0, 4.0, 16.0};

double stops(double a, double b) { return std::fabs(std::log2(a / b)); }

TEST(MergeTest, RecoversTheCameraCurveAndMergesTheRadiance) {
  const Scene scene = lftm_test::ramp_scene();
  // Frames in any order: the fit and the merge sort them by exposure.
  const lftm::Bracket bracket = lftm_test::shoot(scene, {4.0, 1.0 / 16, 16.0, 1.0, 1.0 / 4});
  lftm::CameraResponse response;
  ASSERT_EQ(lftm::fit_response(bracket, &response), 0);
  for (int c = 0; c < 3; ++c) {
    const double scale = response.inverse[c][128] / lftm_test::camera_inverse(128);
    for (uint32_t z = 24; z <= 240; z += 8) {
      EXPECT_LT(stops(response.inverse[c][z] / scale, lftm_test::camera_inverse(z)), 0.1)
          << "channel " << c << " level " << z;
    }
  }
  std::vector<float> rgb(scene.radiance.size());
  lftm::MergeCounts counts;
  ASSERT_EQ(lftm::merge_radiance(bracket, response, 3, rgb.data(), &counts), 0);
  // Three worker counts give the same bits.
  std::vector<float> single(rgb.size());
  ASSERT_EQ(lftm::merge_radiance(bracket, response, 1, single.data(), &counts), 0);
  EXPECT_EQ(rgb, single);
  std::vector<double> errors;
  const double scale =
      rgb[3 * (32 * scene.width + 48) + 1] / scene.radiance[3 * (32 * scene.width + 48) + 1];
  for (size_t i = 0; i < rgb.size(); ++i) {
    ASSERT_TRUE(std::isfinite(rgb[i]) && rgb[i] >= 0) << i;
    const size_t x = (i / 3) % scene.width;
    if (x > 0 && x + 1 < static_cast<size_t>(scene.width)) {
      errors.push_back(stops(rgb[i] / scale, scene.radiance[i]));
    }
  }
  std::sort(errors.begin(), errors.end());
  EXPECT_LT(errors[errors.size() / 2], 0.03);
  EXPECT_LT(errors[errors.size() * 95 / 100], 0.15);
  // Black everywhere: the longest exposure's estimate; clipped everywhere: the shortest's.
  EXPECT_EQ(counts.unmeasured, 2u * scene.height);
  EXPECT_EQ(rgb[0], response.inverse[0][0] / 16.0f);
  const size_t last = 3 * static_cast<size_t>(scene.width - 1);
  EXPECT_EQ(rgb[last], response.inverse[0][255] * 16.0f);
}

TEST(MergeTest, AlignsShiftedAndTurnedFramesAndLeavesATripodSetAlone) {
  const int w = 256, h = 192;
  lftm::FrameMotion still, first, last;
  still.cx = first.cx = last.cx = 0.5 * (w - 1);
  still.cy = first.cy = last.cy = 0.5 * (h - 1);
  first.dx = 12.3;
  first.dy = -7.6;
  first.angle = 0.3 * M_PI / 180;
  last.dx = -4.45;
  last.dy = 9.2;
  last.angle = -0.2 * M_PI / 180;
  lftm::Bracket moved = lftm_test::shoot_moving(w, h, {0.25, 1, 4}, {first, still, last});
  ASSERT_EQ(lftm::align_bracket(&moved, 2), 0);
  const lftm::FrameMotion* expected[3] = {&first, &still, &last};
  for (int i : {0, 2}) {
    const lftm::FrameMotion& found = moved.frames[i].motion;
    EXPECT_TRUE(moved.frames[i].moved);
    EXPECT_NEAR(found.dx, expected[i]->dx, 0.05) << i;
    EXPECT_NEAR(found.dy, expected[i]->dy, 0.05) << i;
    EXPECT_NEAR(found.angle * 180 / M_PI, expected[i]->angle * 180 / M_PI, 0.01) << i;
  }
  EXPECT_FALSE(moved.frames[1].moved);
  lftm::Bracket tripod = lftm_test::shoot_moving(w, h, {0.25, 1, 4}, {still, still, still});
  const lftm::Bracket before = tripod;
  ASSERT_EQ(lftm::align_bracket(&tripod, 2), 0);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_FALSE(tripod.frames[i].moved) << i;
    EXPECT_EQ(tripod.frames[i].samples8, before.frames[i].samples8) << i;
  }
}

TEST(MergeTest, TakesWhatMovedFromTheReferenceOnlyWithGhostRemoval) {
  // A grey object crosses a still scene: frame 0 shows it at x 20, the reference (frame 1)
  // at x 60, frame 2 at x 100. Merged without ghost removal it shows three times, faintly.
  const int w = 160, h = 64;
  lftm::FrameMotion still;
  lftm::Bracket clean = lftm_test::shoot_moving(w, h, {0.25, 1, 4}, {still, still, still});
  lftm::Bracket ghosts = clean;
  const float object = 0.12f;  // measured by every frame
  for (size_t i = 0; i < 3; ++i)
    lftm_test::add_object(&ghosts, i, 20 + 40 * static_cast<int>(i), 24, 16, object);
  lftm::CameraResponse response = lftm::linear_response(256);
  for (auto& curve : response.inverse) {
    for (uint32_t z = 0; z < 256; ++z) curve[z] = static_cast<float>(lftm_test::camera_inverse(z));
  }
  std::vector<float> plain(static_cast<size_t>(w) * h * 3), kept(plain.size()), truth(plain.size());
  lftm::MergeCounts counts;
  lftm::Bracket reference = clean;
  lftm_test::add_object(&reference, 0, 60, 24, 16, object);
  lftm_test::add_object(&reference, 1, 60, 24, 16, object);
  lftm_test::add_object(&reference, 2, 60, 24, 16, object);
  ASSERT_EQ(lftm::merge_radiance(reference, response, 2, truth.data(), &counts), 0);
  ASSERT_EQ(lftm::merge_radiance(ghosts, response, 2, plain.data(), &counts), 0);
  ASSERT_EQ(lftm::mark_ghosts(response, 2, &ghosts), 0);
  ASSERT_EQ(lftm::merge_radiance(ghosts, response, 2, kept.data(), &counts), 0);
  auto worst = [&](const std::vector<float>& rgb, int x0) {
    double e = 0;
    for (int y = 26; y < 38; ++y) {
      for (int x = x0 + 2; x < x0 + 14; ++x) {
        const size_t i = 3 * (static_cast<size_t>(y) * w + x) + 1;
        e = std::max(e, stops(rgb[i], truth[i]));
      }
    }
    return e;
  };
  for (int x0 : {20, 60, 100}) {
    EXPECT_GT(worst(plain, x0), 0.3) << x0;  // the ghost is there without removal
    EXPECT_LT(worst(kept, x0), 0.1) << x0;
  }
  EXPECT_TRUE(ghosts.frames[1].consistent.empty());  // the reference counts everywhere
}

// Bracket files on disk, and the public calls on them.
class MergeFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const lftm::Bracket bracket = lftm_test::shoot(lftm_test::ramp_scene(), kExposures);
    for (size_t i = 0; i < bracket.frames.size(); ++i) {
      paths_.push_back(dir_.file("f" + std::to_string(i) + ".jpg"));
      ASSERT_TRUE(lftm_test::write_jpeg_frame(paths_.back(), bracket.frames[i], bracket.width,
                                              bracket.height, kExposures[i] / 100));
    }
    lftm_options_init(&options_, sizeof options_, LFTM_METHOD_RANGE_SQUEEZER);
    lftm_merge_options_init(&merge_, sizeof merge_);
    merge_.message = message_;
    merge_.message_size = sizeof message_;
  }

  int32_t merge_to(const std::vector<std::string>& frames, const std::string& out) {
    std::vector<const char*> p;
    for (const auto& f : frames) p.push_back(f.c_str());
    return lftm_merge_file(p.data(), static_cast<int32_t>(p.size()), &merge_, out.c_str(),
                           &options_);
  }

  // The call fails with `code`, its sentence names `named`, and `out` is not written.
  void expect_refused(const std::vector<std::string>& frames, int32_t code,
                      const std::string& named, const std::string& out) {
    EXPECT_EQ(merge_to(frames, out), code) << named;
    EXPECT_NE(std::string(message_).find(named), std::string::npos) << message_;
    EXPECT_FALSE(lftm_test::file_exists(out)) << named;
  }

  lftm_test::TempDir dir_;
  std::vector<std::string> paths_;
  lftm_options options_;
  lftm_merge_options merge_;
  char message_[512];
};

TEST_F(MergeFilesTest, OneGoWritesTheBytesOfMergeThenToneMap) {
  ASSERT_EQ(merge_to(paths_, dir_.file("one.jpg")), 0) << message_;
  ASSERT_EQ(merge_to(paths_, dir_.file("x.exr")), 0) << message_;
  ASSERT_EQ(lftm_tonemap_file(dir_.file("x.exr").c_str(), dir_.file("two.jpg").c_str(), &options_),
            0);
  EXPECT_EQ(lftm_test::read_file(dir_.file("one.jpg")), lftm_test::read_file(dir_.file("two.jpg")));
  // The Radiance output holds the RGBE bytes the tone mapping starts from.
  ASSERT_EQ(merge_to(paths_, dir_.file("x.hdr")), 0) << message_;
  ASSERT_EQ(
      lftm_tonemap_file(dir_.file("x.hdr").c_str(), dir_.file("three.jpg").c_str(), &options_), 0);
  EXPECT_EQ(lftm_test::read_file(dir_.file("one.jpg")),
            lftm_test::read_file(dir_.file("three.jpg")));
  // Both carry lftm's mark: a later merge may replace them without `overwrite`.
  EXPECT_EQ(lftm_check_output(dir_.file("x.exr").c_str(), nullptr, 0), 1);
  EXPECT_EQ(lftm_check_output(dir_.file("x.hdr").c_str(), nullptr, 0), 1);
  // A saved response, loaded again, gives the same merge.
  merge_.save_response = nullptr;
  const std::string curve = dir_.file("cam.txt");
  merge_.save_response = curve.c_str();
  ASSERT_EQ(merge_to(paths_, dir_.file("saved.exr")), 0) << message_;
  merge_.save_response = nullptr;
  merge_.response = LFTM_RESPONSE_FILE;
  merge_.response_path = curve.c_str();
  ASSERT_EQ(merge_to(paths_, dir_.file("loaded.exr")), 0) << message_;
  EXPECT_EQ(lftm_test::read_file(dir_.file("saved.exr")),
            lftm_test::read_file(dir_.file("loaded.exr")));
}

TEST_F(MergeFilesTest, TurnsFramesUprightByTheirOrientation) {
  // Stored 96 x 64 with orientation 6 (turn a quarter clockwise): upright 64 x 96, the
  // stored left column (black) becomes the top row, the right (bright) the bottom row.
  const lftm::Bracket bracket = lftm_test::shoot(lftm_test::ramp_scene(), {1.0 / 4, 4.0});
  std::vector<const char*> p;
  std::vector<std::string> names = {dir_.file("r0.jpg"), dir_.file("r1.jpg")};
  for (size_t i = 0; i < 2; ++i) {
    ASSERT_TRUE(lftm_test::write_jpeg_frame(names[i], bracket.frames[i], bracket.width,
                                            bracket.height, bracket.frames[i].exposure, 6));
    p.push_back(names[i].c_str());
  }
  lftm_image out;
  float one[3];
  lftm_image_init(&out, sizeof out, LFTM_SAMPLE_FLOAT32, 3, 1, 1, one);
  out.pixels = nullptr;  // asks for the size only
  ASSERT_EQ(lftm_merge_image(p.data(), 2, &merge_, &out, nullptr), 0) << message_;
  ASSERT_EQ(out.width, 64);
  ASSERT_EQ(out.height, 96);
  std::vector<float> rgb(64 * 96 * 3);
  out.pixels = rgb.data();
  merge_.response = LFTM_RESPONSE_LINEAR;
  ASSERT_EQ(lftm_merge_image(p.data(), 2, &merge_, &out, nullptr), 0) << message_;
  EXPECT_GT(rgb[3 * (80 * 64 + 10)], 10 * rgb[3 * (2 * 64 + 10)]);
  EXPECT_GT(rgb[3 * (2 * 64 + 10)], 10 * rgb[3 * 10]);
}

TEST_F(MergeFilesTest, ReadsSixteenBitTiffAndPngFramesAlike) {
  // Linear 16-bit frames of a known radiance at exposures 1 and 8 seconds: with a linear
  // response the merge gives the radiance back, from TIFF and from PNG alike.
  const int w = 40, h = 20;
  std::vector<float> radiance(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0; i < radiance.size(); ++i) radiance[i] = 0.001f * (1 + i % 97) * (1 + i % 5);
  const double seconds[2] = {1, 8};
  std::vector<std::string> tiffs, pngs;
  for (int f = 0; f < 2; ++f) {
    std::vector<uint16_t> levels;
    for (float r : radiance) {
      levels.push_back(static_cast<uint16_t>(std::lround(std::min(r * seconds[f], 1.0) * 65535)));
    }
    tiffs.push_back(dir_.file("t" + std::to_string(f) + ".tif"));
    pngs.push_back(dir_.file("p" + std::to_string(f) + ".png"));
    ASSERT_TRUE(lftm_test::write_tiff16(tiffs.back(), levels, w, h));
    ASSERT_TRUE(lftm_test::write_png16(pngs.back(), levels, w, h));
  }
  merge_.response = LFTM_RESPONSE_LINEAR;
  merge_.exposures = seconds;
  merge_.exposure_count = 2;
  merge_.align = 0;
  std::vector<float> fromTiff(radiance.size()), fromPng(radiance.size());
  for (auto* run : {&tiffs, &pngs}) {
    const char* p[2] = {(*run)[0].c_str(), (*run)[1].c_str()};
    lftm_image out;
    std::vector<float>& rgb = run == &tiffs ? fromTiff : fromPng;
    lftm_image_init(&out, sizeof out, LFTM_SAMPLE_FLOAT32, 3, w, h, rgb.data());
    ASSERT_EQ(lftm_merge_image(p, 2, &merge_, &out, nullptr), 0) << message_;
  }
  EXPECT_EQ(fromTiff, fromPng);
  for (size_t i = 0; i < radiance.size(); ++i) {
    ASSERT_NEAR(fromTiff[i], radiance[i], 1e-4f + 0.002f * radiance[i]) << i;
  }
}

TEST_F(MergeFilesTest, GroupsFramesIntoSetsByCaptureTimeAndExposures) {
  // Three brackets: b starts when 1/400 s comes again, c after a pause of 7 s. Given out of
  // order, they are grouped in capture order.
  struct Shot {
    const char* name;
    double seconds;
    const char* taken;
    const char* subsec;
  };
  const Shot shots[] = {{"b1", 0.01, "2024:05:01 10:00:02", nullptr},
                        {"a0", 0.0025, "2024:05:01 10:00:00", "0"},
                        {"c1", 0.01, "2024:05:01 10:00:09", "5"},
                        {"a2", 0.04, "2024:05:01 10:00:01", nullptr},
                        {"b0", 0.0025, "2024:05:01 10:00:01", "50"},
                        {"a1", 0.01, "2024:05:01 10:00:00", "5"},
                        {"c0", 0.04, "2024:05:01 10:00:09", nullptr}};
  const lftm::Bracket bracket = lftm_test::shoot(lftm_test::ramp_scene(), {1.0});
  std::vector<std::string> names;
  std::vector<const char*> p;
  for (const Shot& shot : shots) {
    names.push_back(dir_.file(std::string(shot.name) + ".jpg"));
    ASSERT_TRUE(lftm_test::write_jpeg_frame(names.back(), bracket.frames[0], bracket.width,
                                            bracket.height, shot.seconds, 1, shot.taken,
                                            shot.subsec));
  }
  for (const std::string& name : names) p.push_back(name.c_str());
  std::vector<int32_t> sets(p.size(), -1);
  ASSERT_EQ(lftm_merge_sets(p.data(), 7, 0, sets.data()), 3);
  EXPECT_EQ(sets, (std::vector<int32_t>{1, 0, 2, 0, 1, 0, 2}));
  // Without a capture time on one frame: the given order; the pause still counts between
  // the frames that have times.
  p = {names[1].c_str(), names[5].c_str(), names[3].c_str(), names[4].c_str(),
       paths_[0].c_str(), names[6].c_str(), names[2].c_str()};
  ASSERT_EQ(lftm_merge_sets(p.data(), 7, 0, sets.data()), 3);
  EXPECT_EQ(sets, (std::vector<int32_t>{0, 0, 0, 1, 1, 2, 2}));
  ASSERT_EQ(lftm_merge_sets(p.data(), 7, 3, sets.data()), 3);
  EXPECT_EQ(sets, (std::vector<int32_t>{0, 0, 0, 1, 1, 1, 2}));
}

TEST_F(MergeFilesTest, MergesFramesInMemoryAsTheirFiles) {
  // 16-bit PNG frames (lossless) and the same samples in memory, grey and RGBA too.
  const int w = 40, h = 24;
  const double seconds[2] = {0.5, 4};
  std::vector<std::vector<uint16_t>> rgb(2), rgba(2);
  std::vector<std::string> names;
  for (int f = 0; f < 2; ++f) {
    for (int i = 0; i < w * h * 3; ++i) {
      const double light = 0.01 * (1 + i % 89) * (1 + (i / 3) % 7);
      rgb[f].push_back(static_cast<uint16_t>(65535 * std::min(1.0, std::sqrt(light * seconds[f]))));
      rgba[f].push_back(rgb[f].back());
      if (i % 3 == 2) rgba[f].push_back(7);
    }
    names.push_back(dir_.file("m" + std::to_string(f) + ".png"));
    ASSERT_TRUE(lftm_test::write_png16(names.back(), rgb[f], w, h));
  }
  merge_.exposures = seconds;
  merge_.exposure_count = 2;
  merge_.align = 0;
  const char* p[2] = {names[0].c_str(), names[1].c_str()};
  std::vector<float> fromFiles(w * h * 3), fromMemory(w * h * 3);
  lftm_image out, frames[2];
  lftm_image_init(&out, sizeof out, LFTM_SAMPLE_FLOAT32, 3, w, h, fromFiles.data());
  ASSERT_EQ(lftm_merge_image(p, 2, &merge_, &out, nullptr), 0) << message_;
  for (int f = 0; f < 2; ++f) {
    lftm_image_init(&frames[f], sizeof frames[f], LFTM_SAMPLE_UINT16, 4, w, h, rgba[f].data());
  }
  out.pixels = fromMemory.data();
  ASSERT_EQ(lftm_merge_frames(frames, 2, &merge_, &out, nullptr), 0) << message_;
  EXPECT_EQ(fromMemory, fromFiles);
  // Refusals name the frame: another sample type, no exposures.
  std::vector<uint8_t> small(w * h);
  lftm_image_init(&frames[1], sizeof frames[1], LFTM_SAMPLE_UINT8, 1, w, h, small.data());
  EXPECT_EQ(lftm_merge_frames(frames, 2, &merge_, &out, nullptr), LFTM_ERR_MERGE_SIZE);
  EXPECT_NE(std::string(message_).find("frame 2"), std::string::npos) << message_;
  merge_.exposures = nullptr;
  EXPECT_EQ(lftm_merge_frames(frames, 2, &merge_, &out, nullptr), LFTM_ERR_MERGE_NO_EXPOSURE);
}

TEST_F(MergeFilesTest, RefusesBadInputNamingTheFile) {
  const std::string out = dir_.file("out.exr");
  expect_refused({paths_[0]}, LFTM_ERR_MERGE_TOO_FEW, "two frames", out);
  // Another size.
  const lftm::Bracket small = lftm_test::shoot(lftm_test::ramp_scene(), {1.0});
  lftm::Frame cropped = small.frames[0];
  cropped.samples8.resize(static_cast<size_t>(96) * 32 * 3);
  const std::string other = dir_.file("small.jpg");
  ASSERT_TRUE(lftm_test::write_jpeg_frame(other, cropped, 96, 32, 0.01));
  expect_refused({paths_[0], other}, LFTM_ERR_MERGE_SIZE, other, out);
  // No EXIF exposure; given exposures of the wrong count.
  const std::string bare = dir_.file("bare.jpg");
  ASSERT_TRUE(lftm_test::write_jpeg_frame(bare, small.frames[0], 96, 64, 0));
  expect_refused({paths_[0], bare}, LFTM_ERR_MERGE_NO_EXPOSURE, bare, out);
  const double three[3] = {1, 2, 4};
  merge_.exposures = three;
  merge_.exposure_count = 3;
  expect_refused({paths_[0], bare}, LFTM_ERR_MERGE_EXPOSURE_COUNT, "3 exposures", out);
  merge_.exposure_count = 2;
  EXPECT_EQ(merge_to({paths_[0], bare}, out), 0) << message_;  // the given ones override
  merge_.exposures = nullptr;
  // A cut JPEG must not merge as grey.
  std::vector<uint8_t> bytes = lftm_test::read_file(paths_[2]);
  bytes.resize(bytes.size() / 2);
  const std::string cut = dir_.file("cut.jpg");
  ASSERT_TRUE(lftm_test::write_file(cut, bytes));
  expect_refused({paths_[0], cut}, LFTM_ERR_SIB_DECODE, cut, dir_.file("cut_out.exr"));
  // The curve is saved only once the whole call succeeded: not when the merged image does
  // not fit the host's buffer.
  const std::string curve = dir_.file("curve.txt");
  merge_.save_response = curve.c_str();
  float one[3];
  lftm_image tiny;
  lftm_image_init(&tiny, sizeof tiny, LFTM_SAMPLE_FLOAT32, 3, 1, 1, one);
  const char* two[2] = {paths_[0].c_str(), paths_[1].c_str()};
  EXPECT_EQ(lftm_merge_image(two, 2, &merge_, &tiny, nullptr), LFTM_ERR_ARGUMENT);
  EXPECT_FALSE(lftm_test::file_exists(curve));
  merge_.save_response = nullptr;
  // An output that is a frame: refused before any work, the frame untouched.
  const std::vector<uint8_t> before = lftm_test::read_file(paths_[1]);
  EXPECT_EQ(merge_to({paths_[0], paths_[1]}, paths_[1]), LFTM_ERR_SAME_FILE);
  EXPECT_EQ(lftm_test::read_file(paths_[1]), before);
  // A curve is never saved over a frame.
  merge_.save_response = paths_[2].c_str();
  expect_refused({paths_[0], paths_[1]}, LFTM_ERR_OUTPUT_EXISTS, paths_[2], dir_.file("c.exr"));
  EXPECT_TRUE(lftm_test::starts_with_jpeg_marker(paths_[2]));
  merge_.save_response = nullptr;
  // A response file that is no saved curve.
  ASSERT_TRUE(lftm_test::write_text(dir_.file("bad.txt"), "levels 256\n"));
  const std::string bad = dir_.file("bad.txt");
  merge_.response = LFTM_RESPONSE_FILE;
  merge_.response_path = bad.c_str();
  expect_refused({paths_[0], paths_[1]}, LFTM_ERR_MERGE_RESPONSE, bad, dir_.file("r.exr"));
}

}  // namespace
