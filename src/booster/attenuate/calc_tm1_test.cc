// SPDX-License-Identifier: BSD-3-Clause
// calc_tm1 as a whole: against the whole-plane reference, and the equivalences that must
// hold between threads, memory and disk, with and without a work buffer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/diag_capture.h"
#include "support/files.h"
#include "support/rgbe_images.h"
#include "support/stage1_reference.h"
#include "support/temp_dir.h"
#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "platform/workers.h"
#include "settings/settings_table.h"

namespace {

using lftm_test::RgbePlanar;
using lftm_test::stage1_ref::Plane;

struct Case {
  RgbePlanar image;
  TmParam param;
  PyramidDims dims{};
  ImageDesc desc{};
  float expTable[256];
  size_t saved = 0;  // floats of the saved log-luminance pyramid

  Case(const RgbePlanar& img, bool multiLevel, bool is360) : image(img) {
    tmparam_default(1, 0, &param);
    param.tmParam[lftm::kBoosterSmoothingMode] = multiLevel ? 1.0f : 0.0f;
    param.tmParam[lftm::kBooster360DegreeImage] = is360 ? 1.0f : 0.0f;
    // The smoothing mode also picks the pyramid depth; keep the same pyramid for both workers.
    TmParam sizing = param;
    sizing.tmParam[lftm::kBoosterSmoothingMode] = 1.0f;
    lftm_test::DiagCapture quiet;
    tm_dim(img.width, img.height, &sizing, &dims);
    init_dim_param(&desc);
    desc.width = img.width;
    desc.height = img.height;
    desc.rowSamples = desc.rowStride = 3 * img.width;
    lftm::build_exp_table(expTable);
    saved = static_cast<size_t>(dims.total > dims.total2 ? dims.total : dims.total2);
  }
};

struct Outcome {
  int result = 0;
  std::vector<float> buf;
  std::vector<float> raw;
  LumStats stats{};
  std::string out;
};

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

bool same_stats(const LumStats& a, const LumStats& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// `capture` is off for calls that run at the same time: the capture is process-wide.
Outcome run_memory(Case& s, int threads, bool withWork = false, LumStats initial = {},
                   bool capture = true) {
  Outcome o;
  o.stats = initial;
  o.raw.assign(std::max(s.saved, s.image.bytes.size() / 4), 0.0f);
  std::memcpy(o.raw.data(), s.image.bytes.data(), s.image.bytes.size());
  o.buf.assign(s.saved, -123.0f);
  // The smallest work buffer the multi-level worker may be given.
  const size_t level1 = static_cast<size_t>((s.dims.W + 1) / 2) * ((s.dims.H + 1) / 2);
  std::vector<float> work;
  if (withWork) work.assign(std::max<size_t>(65536, level1 + 3 * s.dims.W), -7.0f);
  TmFiles files{};
  files.threads = threads;
  HdrFileInfo info{};
  std::unique_ptr<lftm_test::DiagCapture> diag;
  if (capture) diag.reset(new lftm_test::DiagCapture);
  o.result = calc_tm1(0, &s.desc, &s.param, &s.dims, &o.stats, s.expTable, nullptr, &info,
                      &files, withWork ? work.data() : nullptr, o.raw.data(), o.buf.data());
  if (capture) o.out = diag->out();
  return o;
}

struct DiskRun : Outcome {
  std::vector<uint8_t> rgbeCopy;
  std::vector<uint8_t> pyramidCopy;
};

DiskRun run_disk(Case& s, const lftm_test::TempDir& dir, int threads) {
  const std::string in = dir.file("in.hdr");
  lftm_test::write_file(in, lftm_test::encode_rgbe_file(s.image, true));
  HdrFileInfo info{};
  float primaries[8];
  lftm::rgbe_read_header(in.c_str(), primaries, &info);
  const std::string s1 = dir.file("tm10"), s2 = dir.file("tm11");
  TmFiles files{};
  files.threads = threads;
  files.readFromDisk = 1;
  files.inFile = in.c_str();
  files.scratch1 = s1.c_str();
  files.scratch2 = s2.c_str();
  DiskRun o;
  o.buf.assign(s.saved, -123.0f);
  lftm_test::DiagCapture capture;
  o.result = calc_tm1(0, &s.desc, &s.param, &s.dims, &o.stats, s.expTable, nullptr, &info,
                      &files, nullptr, nullptr, o.buf.data());
  o.out = capture.out();
  o.rgbeCopy = lftm_test::read_file(s1);
  o.pyramidCopy = lftm_test::read_file(s2);
  return o;
}

std::vector<float> level(const std::vector<float>& buf, size_t offset, const Plane& like) {
  return std::vector<float>(buf.begin() + offset, buf.begin() + offset + like.v.size());
}

// Compares the call with the reference computed from the level-0 log plane it produced.
void expect_matches_reference(Case& s, bool is360) {
  Outcome old = run_memory(s, 0);
  ASSERT_EQ(old.result, s.image.width);
  Plane lg0(s.dims.W, s.dims.H);
  std::copy(old.raw.begin(), old.raw.begin() + lg0.v.size(), lg0.v.begin());
  const int lastTarget = s.dims.rang - 2 > 0 ? s.dims.rang - 2 : 0;
  lftm_test::stage1_ref::Result ref =
      lftm_test::stage1_ref::run(lg0, s.dims.minW, lastTarget, lftm_test::stage1_ref::default_settings(is360));

  size_t offset = 0;
  for (size_t k = 0; k < ref.logPyramid.size(); ++k) {
    EXPECT_EQ(level(old.raw, offset, ref.logPyramid[k]), ref.logPyramid[k].v) << "level " << k;
    if (k > 0) {
      EXPECT_EQ(level(old.buf, offset, ref.phi[k]), ref.phi[k].v) << "Phi " << k;
    }
    offset += ref.logPyramid[k].v.size();
  }
  EXPECT_EQ(level(old.buf, 0, ref.rhs), ref.rhs.v);

  s.param.tmParam[lftm::kBoosterSmoothingMode] = 1.0f;
  Outcome multi = run_memory(s, 0);
  ASSERT_EQ(multi.result, s.image.width);
  EXPECT_TRUE(same_stats(multi.stats, old.stats));
  offset = 0;
  for (int t = 0; t <= lastTarget; ++t) {
    EXPECT_EQ(level(multi.buf, offset, ref.windowRhs[t]), ref.windowRhs[t].v) << "target " << t;
    offset += ref.logPyramid[t].v.size();
  }
}

TEST(CalcTm1Test, SmallImageMatchesReferenceLoops) {
  for (bool is360 : {false, true}) {
    Case s(lftm_test::make_test_image(16, 12, 3), false, is360);
    ASSERT_EQ(s.dims.levels2, 2);  // 16x12, 8x6, 4x3
    expect_matches_reference(s, is360);
  }
}

TEST(CalcTm1Test, MultiLevelTargetsMatchReferenceLoops) {
  for (bool is360 : {false, true}) {
    Case s(lftm_test::make_test_image(300, 200, 4), false, is360);
    ASSERT_EQ(s.dims.rang, 3);  // targets 0 and 1, windows down to 10x7 and 5x4
    expect_matches_reference(s, is360);
  }
  // Images so small that the pyramid stops halving before its nominal depth (20 x 20 stops
  // at 5 x 5 after two of three halvings) use the levels actually built.
  Case tiny(lftm_test::make_test_image(20, 20, 5), false, false);
  ASSERT_EQ(tiny.dims.levels2, 3);
  expect_matches_reference(tiny, false);
}

TEST(CalcTm1Test, ThreadsDoNotChangeTheResult) {
  for (bool multi : {false, true}) {
    Case s(lftm_test::make_test_image(300, 200, 6), multi, false);
    Outcome single = run_memory(s, 1);
    ASSERT_EQ(single.result, 300);
    EXPECT_EQ(single.out.find("tm1b_threaded"), std::string::npos);
    for (int threads : {4, 40}) {
      Outcome threaded = run_memory(s, threads);
      EXPECT_EQ(threaded.buf, single.buf) << threads;
      EXPECT_TRUE(same_stats(threaded.stats, single.stats));
      EXPECT_NE(threaded.out.find("tm1b_threaded 300 x 200"), std::string::npos);
    }
    lftm::simulate_thread_start_failure(1);
    Outcome starved = run_memory(s, 5);
    lftm::simulate_thread_start_failure(-1);
    EXPECT_EQ(starved.buf, single.buf);
  }
}

TEST(CalcTm1Test, DiskModeMatchesMemoryMode) {
  for (bool multi : {false, true}) {
    Case s(lftm_test::make_test_image(300, 200, 7), multi, false);
    Outcome memory = run_memory(s, 4);
    lftm_test::TempDir dir;
    DiskRun disk = run_disk(s, dir, 4);
    ASSERT_EQ(disk.result, 300) << disk.out;
    EXPECT_EQ(disk.buf, memory.buf);
    EXPECT_TRUE(same_stats(disk.stats, memory.stats));
    // Disk mode spreads the power law over the workers as memory mode does.
    EXPECT_NE(disk.out.find("tm1b_threaded"), std::string::npos);
    EXPECT_NE(disk.out.find("tempFile :" + dir.file("tm11") + "\n"), std::string::npos);
    // The scratch files hold the RGBE bytes and the log-luminance pyramid.
    EXPECT_EQ(disk.rgbeCopy, s.image.bytes);
    ASSERT_EQ(disk.pyramidCopy.size(), s.saved * sizeof(float));
    EXPECT_EQ(std::memcmp(disk.pyramidCopy.data(), memory.raw.data(), s.saved * sizeof(float)), 0);
  }
}

TEST(CalcTm1Test, WorkBufferAndConcurrentCallsGiveIdenticalResults) {
  // Level 1 (300 x 220) and three rows of level 0 need more than the 65536 histogram floats.
  Case s(lftm_test::make_test_image(600, 440, 8), true, false);
  Outcome plain = run_memory(s, 2);
  Outcome withWork = run_memory(s, 2, true);
  EXPECT_EQ(withWork.buf, plain.buf);
  EXPECT_TRUE(same_stats(withWork.stats, plain.stats));
  EXPECT_NE(plain.out.find("work est nul - allocation dans fonction\n"), std::string::npos);
  EXPECT_NE(withWork.out.find("work non nul - allocation deja faite\n"), std::string::npos);

  // Two calls at the same time, each with its own percentile search.
  Case other(lftm_test::make_test_image(256, 160, 9), false, true);
  Outcome otherAlone = run_memory(other, 1);
  Outcome together[2];
  {
    lftm_test::DiagCapture quiet;
    lftm::run_tiles(2, [&](int i) {
      together[i] = run_memory(i == 0 ? s : other, 1, false, LumStats{}, false);
    });
  }
  EXPECT_EQ(together[0].buf, plain.buf);
  EXPECT_TRUE(same_stats(together[0].stats, plain.stats));
  EXPECT_EQ(together[1].buf, otherAlone.buf);
  EXPECT_TRUE(same_stats(together[1].stats, otherAlone.stats));
}

TEST(CalcTm1Test, ConstantImageHasNoRightHandSide) {
  RgbePlanar flat = lftm_test::make_test_image(40, 30, 1);
  std::fill(flat.bytes.begin(), flat.bytes.end(), static_cast<uint8_t>(130));
  for (bool multi : {false, true}) {
    Case s(flat, multi, false);
    LumStats preset{};
    preset.logMed = preset.log25 = preset.log75 = preset.logClip = 42.0f;
    Outcome r = run_memory(s, 0, false, preset);
    ASSERT_EQ(r.result, 40);
    for (size_t i = 0; i < 40 * 30; ++i) ASSERT_EQ(r.buf[i], 0.0f) << i;
    // An empty luminance range leaves fields 3-6 as they were.
    EXPECT_EQ(r.stats.logMed, 42.0f);
    EXPECT_EQ(r.stats.log25, 42.0f);
    EXPECT_EQ(r.stats.log75, 42.0f);
    EXPECT_EQ(r.stats.logClip, 42.0f);
    EXPECT_EQ(r.out.find("percMed"), std::string::npos);
  }
}

TEST(CalcTm1Test, PrintsTheStageLines) {
  Case s(lftm_test::make_test_image(64, 48, 2), false, false);
  Outcome old = run_memory(s, 0);
  for (const char* line : {"readFromDisk: 0  is360: 0  _comp=7.00  sldAlpha=0  0.13  0.100   ",
                           "retour calc_tm0=48tm1 vectI fin3072  ", "initFine: 0  ",
                           "Percentile 25 50 75 99:  ", "positPyram: 0  ", "**** Phi: min=",
                           "**** origRHS: min=", "tm1 origRHS fin3072  ", "origRHS2: min="}) {
    EXPECT_NE(old.out.find(line), std::string::npos) << line;
  }
  s.param.tmParam[lftm::kBoosterSmoothingMode] = 1.0f;
  Outcome multi = run_memory(s, 0);
  for (const char* line : {"is360: 0  _comp=7.00  sldAlpha=0.00  0.13  0.100   ",
                           "calc_tm1new: 4   64 x 48    is360: 0  readFromDisk: 0    ",
                           "64 x 48    sum:  ", "t1new sum0:  ", "t1new sum1: ", "t1new sum2:  ",
                           "allocation tempBuf  32 x 24    768\n"}) {
    EXPECT_NE(multi.out.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(multi.out.find("positPyram"), std::string::npos);
  EXPECT_EQ(multi.out.find("origRHS"), std::string::npos);
}

TEST(CalcTm1Test, UnusableArgumentsAndFailuresLeaveNoScratchFiles) {
  Case s(lftm_test::make_test_image(40, 30, 1), false, false);
  lftm_test::TempDir dir;
  const std::string in = dir.file("in.hdr");
  lftm_test::write_file(in, lftm_test::encode_rgbe_file(s.image, false));
  HdrFileInfo info{};
  float primaries[8];
  lftm::rgbe_read_header(in.c_str(), primaries, &info);
  const std::string s1 = dir.file("tm10");
  const std::string s2 = dir.file("missing/tm11");  // cannot be created
  TmFiles files{};
  files.readFromDisk = 1;
  files.inFile = in.c_str();
  files.scratch1 = s1.c_str();
  files.scratch2 = s2.c_str();
  std::vector<float> buf(s.saved);
  LumStats stats{};
  {
    lftm_test::DiagCapture capture;
    EXPECT_EQ(calc_tm1(1, &s.desc, &s.param, &s.dims, &stats, s.expTable, s.expTable, &info,
                       &files, nullptr, nullptr, buf.data()),
              -1);  // disk mode reads RGBE files only
    EXPECT_EQ(capture.out(), "");
  }
  {
    lftm_test::DiagCapture capture;
    EXPECT_EQ(calc_tm1(0, &s.desc, &s.param, &s.dims, &stats, s.expTable, nullptr, &info, &files,
                       nullptr, nullptr, buf.data()),
              -1);
    EXPECT_NE(capture.out().find("can not open temporary file\n"), std::string::npos);
    EXPECT_FALSE(exists(s1));  // the RGBE copy was removed again
  }
  {
    // Without an input image there is no log plane: the stage stops there.
    lftm_test::DiagCapture capture;
    const std::string absent = dir.file("absent.hdr");
    const std::string s2ok = dir.file("tm11");
    files.inFile = absent.c_str();
    files.scratch2 = s2ok.c_str();
    EXPECT_LT(calc_tm1(0, &s.desc, &s.param, &s.dims, &stats, s.expTable, nullptr, &info, &files,
                       nullptr, nullptr, buf.data()),
              0);
    EXPECT_NE(capture.out().find("retour calc_tm0=-"), std::string::npos);
    EXPECT_EQ(capture.out().find("tm1 vectI fin"), std::string::npos);
    EXPECT_FALSE(exists(s1));
    EXPECT_FALSE(exists(s2ok));
  }
  {
    // A run-length row that announces another width keeps the number calc_tm1 always gave.
    std::vector<uint8_t> bad = lftm_test::encode_rgbe_file(s.image, true);
    const std::string head = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 30 +X 40\n";
    ASSERT_EQ(std::string(bad.begin(), bad.begin() + head.size()), head);
    bad[head.size() + 3] = 41;
    const std::string badPath = dir.file("badrow.hdr");
    lftm_test::write_file(badPath, bad);
    files.inFile = badPath.c_str();
    // The block above left scratch2 naming a string that is gone.
    const std::string s2bad = dir.file("tm11bad");
    files.scratch2 = s2bad.c_str();
    HdrFileInfo badInfo{};
    ASSERT_GE(lftm::rgbe_read_header(badPath.c_str(), primaries, &badInfo), 0);
    lftm_test::DiagCapture capture;
    EXPECT_EQ(calc_tm1(0, &s.desc, &s.param, &s.dims, &stats, s.expTable, nullptr, &badInfo,
                       &files, nullptr, nullptr, buf.data()),
              -4);
    EXPECT_NE(capture.out().find("retour calc_tm0=-4"), std::string::npos);
  }

  // A pyramid record that does not belong to the image is refused before any work.
  std::vector<float> raw(std::max(s.saved, s.image.bytes.size() / 4));
  PyramidDims wrong = s.dims;
  wrong.minW += 1;
  TmFiles memory{};
  EXPECT_EQ(calc_tm1(0, &s.desc, &s.param, &wrong, &stats, s.expTable, nullptr, &info, &memory,
                     nullptr, raw.data(), buf.data()),
            -1);

  // 10 x 11600: the multigrid wants right-hand sides for levels 0..2, but the attenuation
  // pyramid stops at 5 x 5800 after one halving. The single-level worker still runs.
  Case thin(lftm_test::make_test_image(10, 11600, 2), true, false);
  ASSERT_EQ(thin.dims.rang, 4);
  EXPECT_EQ(run_memory(thin, 0).result, -1);
  thin.param.tmParam[lftm::kBoosterSmoothingMode] = 0.0f;
  EXPECT_EQ(run_memory(thin, 0).result, 10);
}

}  // namespace
