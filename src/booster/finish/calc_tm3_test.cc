// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/booster_inputs.h"
#include "support/diag_capture.h"
#include "support/files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"
#include "lftm.h"
#include "platform/workers.h"
#include "settings/settings_table.h"

namespace {

using lftm_test::booster_defaults;
using lftm_test::image_desc;

// An RGBE test image with its luminance plane, finished by calc_tm3.
struct Stage3Run {
  int width;
  int height;
  lftm_test::RgbePlanar image;
  std::vector<float> table = lftm_test::reference_exp_table();
  LumStats stats = lftm_test::scene_stats();
  TmParam param = booster_defaults();

  Stage3Run(int w, int h)
      : width(w), height(h), image(lftm_test::make_test_image(w, h)) {
    param.tmParam[lftm::kBoosterHighlightsSmoothing] = 20;
    param.tmParam[lftm::kBoosterShadowsClipping] = 10;
    param.tmParam[lftm::kBoosterSaturationHighlights] = 3;
  }

  // Output samples (8 or 16 bits, widened) and the result; logs in `log` when given.
  std::vector<uint16_t> run(int threads, int bits, int planes, int* result,
                            std::string* log = nullptr) {
    ImageDesc d = image_desc(width, height, 3, bits, planes);
    TmFiles files{};
    files.threads = threads;
    std::vector<float> lum = lftm_test::test_plane(width, height);
    size_t samples = static_cast<size_t>(width) * height * 3;
    std::vector<uint8_t> out(samples * 2, 0xAB);
    lftm_test::DiagCapture capture;
    *result = calc_tm3(0, &d, &param, &stats, table.data(), nullptr, &files,
                       image.bytes.data(), lum.data(), out.data());
    if (log != nullptr) *log = capture.out() + capture.err();
    std::vector<uint16_t> samplesOut(samples);
    for (size_t i = 0; i < samples; ++i) {
      if (bits == 16) {
        std::memcpy(&samplesOut[i], out.data() + 2 * i, 2);
      } else {
        samplesOut[i] = out[i];
      }
    }
    return samplesOut;
  }
};

std::vector<uint16_t> to_planes(const std::vector<uint16_t>& interleaved) {
  size_t pixels = interleaved.size() / 3;
  std::vector<uint16_t> planes(interleaved.size());
  for (size_t k = 0; k < pixels; ++k) {
    for (size_t c = 0; c < 3; ++c) planes[c * pixels + k] = interleaved[3 * k + c];
  }
  return planes;
}

TEST(CalcTm3, TilesGiveTheBytesOfOneCall) {
  Stage3Run s(37, 23);
  for (int bits : {8, 16}) {
    int result = 0;
    std::vector<uint16_t> single = s.run(0, bits, 0, &result);
    EXPECT_EQ(result, 23);
    EXPECT_EQ(s.run(1, bits, 0, &result), single);
    EXPECT_EQ(result, 23);
    for (int threads : {2, 3, 7, 32, 40}) {
      EXPECT_EQ(s.run(threads, bits, 0, &result), single) << threads << " threads";
      EXPECT_EQ(result, 23 - (23 / lftm::clamp_workers(threads)) *
                                 (lftm::clamp_workers(threads) - 1));
    }
    // Planes, written directly or converted after the tiles, hold the same samples.
    std::vector<uint16_t> planes = to_planes(single);
    EXPECT_EQ(s.run(1, bits, 3, &result), planes);
    EXPECT_EQ(s.run(4, bits, 3, &result), planes);
    EXPECT_EQ(result, 23);
  }
}

TEST(CalcTm3, TileAnnouncementsAndOffsets) {
  Stage3Run s(8, 10);
  int result = 0;
  std::string log;
  s.run(1, 16, 0, &result, &log);
  EXPECT_EQ(log.find("tm3_threaded"), std::string::npos);
  s.run(4, 16, 0, &result, &log);
  EXPECT_EQ(result, 4);
  EXPECT_NE(log.find("docType: 0   w: 8  rowIn: 24   rowSize: 32\n"), std::string::npos);
  EXPECT_NE(log.find("tm3_threaded 0  - yTile=0, hTile=2, ofs=0, mOfs=0 lOfs=0 \n"),
            std::string::npos);
  EXPECT_NE(log.find("tm3_threaded 2  - yTile=4, hTile=2, ofs=128, mOfs=32 lOfs=192 \n"),
            std::string::npos);
  EXPECT_NE(log.find("tm3_threaded 3  - yTile=6, hTile=4, ofs=192, mOfs=48 lOfs=288 \n"),
            std::string::npos);
}

TEST(CalcTm3, EightBitSourceIntoSixteenBitPlanes) {
  // The converted planes need more room than the 8-bit source has; the result must match
  // the single-call planes.
  ImageDesc d = image_desc(9, 7, 3, 16, 3);
  std::vector<uint8_t> input(9 * 7 * 3);
  for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<uint8_t>(20 + i % 200);
  std::vector<float> lut = lftm_test::linear_lut();
  Stage3Run s(9, 7);
  auto finish = [&](int threads) {
    std::vector<float> lum = lftm_test::test_plane(9, 7);
    std::vector<uint16_t> out(9 * 7 * 3);
    TmFiles files{};
    files.threads = threads;
    lftm_test::DiagCapture quiet;
    EXPECT_EQ(calc_tm3(2, &d, &s.param, &s.stats, s.table.data(), lut.data(), &files,
                       input.data(), lum.data(), out.data()),
              7);
    return out;
  };
  EXPECT_EQ(finish(3), finish(1));
}

TEST(CalcTm3, FailuresLeaveNothingRunning) {
  Stage3Run s(16, 12);
  ImageDesc d = image_desc(16, 12, 3, 8);
  std::vector<uint8_t> out(16 * 12 * 3, 0xAB);
  TmFiles files{};
  files.threads = 4;

  // A negative plane value stops the stage before any tile starts or any sample is written.
  std::vector<float> lum = lftm_test::test_plane(16, 12);
  lum[100] = -1;
  {
    lftm_test::DiagCapture capture;
    EXPECT_EQ(calc_tm3(0, &d, &s.param, &s.stats, s.table.data(), nullptr, &files,
                       s.image.bytes.data(), lum.data(), out.data()),
              -101);
    EXPECT_EQ(capture.err().find("tm3_threaded"), std::string::npos);
  }
  EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 0xAB));

  // A worker that cannot start: its tile is finished on the calling thread, so the call
  // returns what it returns when every worker starts, with the same bytes.
  std::vector<uint8_t> expected(out.size());
  lum = lftm_test::test_plane(16, 12);
  int result;
  int started;
  {
    lftm_test::DiagCapture quiet;
    started = calc_tm3(0, &d, &s.param, &s.stats, s.table.data(), nullptr, &files,
                       s.image.bytes.data(), lum.data(), expected.data());
    lum = lftm_test::test_plane(16, 12);
    lftm::simulate_thread_start_failure(2);
    result = calc_tm3(0, &d, &s.param, &s.stats, s.table.data(), nullptr, &files,
                      s.image.bytes.data(), lum.data(), out.data());
    lftm::simulate_thread_start_failure(-1);
  }
  EXPECT_GT(started, 0);
  EXPECT_EQ(result, started);
  EXPECT_EQ(out, expected);
}

// Disk mode: the RGBE rows in a file, the plane behind the 16-bit samples.
struct DiskRun {
  lftm_test::TempDir dir;
  std::string path = dir.file("tm10rows");
  Stage3Run s;
  DiskRun(int w, int h) : s(w, h) { EXPECT_TRUE(lftm_test::write_file(path, s.image.bytes)); }

  int run(ImageDesc d, std::vector<uint16_t>* out, std::string* log = nullptr) {
    TmFiles files{};
    files.threads = 3;
    files.readFromDisk = 1;
    files.inFile = path.c_str();
    size_t samples = static_cast<size_t>(d.height) * (d.rowStride > 0 ? d.rowStride : 1);
    out->assign(samples < 3u * d.width * d.height ? 3u * d.width * d.height : samples, 0);
    std::vector<float> lum = lftm_test::test_plane(d.width, d.height);
    int64_t offset = 2 * static_cast<int64_t>(d.height) * (d.rowStride - 2 * d.width);
    if (offset >= 0) {
      std::memcpy(reinterpret_cast<uint8_t*>(out->data()) + offset, lum.data(), lum.size() * 4);
    }
    lftm_test::DiagCapture capture;
    int result = calc_tm3(0, &d, &s.param, &s.stats, s.table.data(), nullptr, &files, nullptr,
                          nullptr, out->data());
    if (log != nullptr) *log = capture.out();
    return result;
  }
  bool file_exists() const { return !lftm_test::read_file(path).empty(); }
};

TEST(CalcTm3, DiskModeMatchesMemoryModeAndConsumesItsInput) {
  // Odd sizes put the plane at an address that is not a multiple of 4.
  for (int planes : {0, 3}) {
    DiskRun disk(31, 17);
    int memoryResult = 0;
    std::vector<uint16_t> memory = disk.s.run(1, 16, planes, &memoryResult);
    std::vector<uint16_t> out;
    EXPECT_EQ(disk.run(image_desc(31, 17, 3, 16, planes), &out), 17);
    out.resize(memory.size());
    EXPECT_EQ(out, memory) << "planes " << planes;
    EXPECT_FALSE(disk.file_exists());
  }
}

TEST(CalcTm3, DiskModeRefusesWhatItCannotServe) {
  DiskRun disk(12, 9);
  std::vector<uint16_t> out;
  std::string log;
  EXPECT_EQ(disk.run(image_desc(12, 9, 3, 8), &out, &log), -1);  // 8-bit output
  EXPECT_NE(log.find("tm3 disk mode needs"), std::string::npos);
  EXPECT_EQ(disk.run(image_desc(12, 9, 1, 16), &out), -1);  // no room for the plane
  EXPECT_TRUE(disk.file_exists());

  // A short file: -2 with the row that failed, and the file is left for the caller.
  std::vector<uint8_t> rows = disk.s.image.bytes;
  rows.resize(4 * 12 * 5 + 7);
  ASSERT_TRUE(lftm_test::write_file(disk.path, rows));
  EXPECT_EQ(disk.run(image_desc(12, 9, 3, 16), &out, &log), -2);
  EXPECT_NE(log.find("tm3 could not read from input file at 5\n"), std::string::npos);
  EXPECT_TRUE(disk.file_exists());

  disk.path = disk.dir.file("missing");
  EXPECT_EQ(disk.run(image_desc(12, 9, 3, 16), &out), -1);
}

}  // namespace
