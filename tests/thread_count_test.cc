// SPDX-License-Identifier: BSD-3-Clause
// The same settings give the same image whatever the number of worker threads, and the
// Texture Booster's disk mode gives the image of its memory mode: a picture must not depend
// on the machine it was made on.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "frame/run_needs.h"
#include "lftm.h"
#include "platform/fault_injection.h"
#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"

namespace {

using lftm_test::DriverRun;
using lftm_test::Method;

// The decoded 16-bit samples (they show the smallest change of the solve) of one driver run.
std::vector<uint16_t> samples_of(const lftm_test::TempDir& dir, const std::string& in,
                                 Method method, int threads, bool disk) {
  DriverRun run;
  run.method = method;
  run.in = in;
  run.out = dir.file("out.tif");
  run.bits = 16;
  run.disk = disk;
  run.threads = threads;
  if (lftm_test::run_driver(run) < 0) return {};
  return lftm_test::tiff_samples(run.out);
}

// One Texture Booster run on three workers (one in disk mode, which runs so) into `out`.
int booster_run(const std::string& in, const std::string& out, int bits, bool disk,
                int threads = 3, int64_t memoryLimit = 0) {
  DriverRun run;
  run.memoryLimit = memoryLimit;
  run.extType = in.back() == 'f' ? LFTM_EXT_TIF_LINEAR : LFTM_EXT_HDR;
  run.in = in;
  run.out = out;
  run.bits = bits;
  run.disk = disk;
  run.threads = threads;
  return lftm_test::run_driver(run);
}

// The first image spans many blocks of the solver's sums, and every one of 32 workers has
// rows of its own.
TEST(ThreadCountTest, EveryWorkerCountAndDiskModeGiveTheSameSamples) {
  lftm_test::DiagCapture quiet;
  lftm_test::TempDir dir;
  const std::string small = lftm_test::write_hdr(dir.file("small.hdr"), 240, 160, 7);
  for (Method method : {Method::kBooster, Method::kSqueezer}) {
    const std::vector<uint16_t> one = samples_of(dir, small, method, 1, false);
    ASSERT_EQ(one.size(), 3u * 240 * 160);
    for (int threads : {2, 3, 7, 32}) {
      EXPECT_TRUE(samples_of(dir, small, method, threads, false) == one)
          << (method == Method::kBooster ? "booster" : "squeezer") << " threads " << threads;
    }
  }

  // Disk mode, at both depths and through both writers: the bytes of memory mode. The
  // Radiance image is deep enough for its two finest levels to run from disk and has unlit
  // pixels (exponent 0, zero mantissas), which both modes patch alike; the float TIFF goes
  // through disk mode's Radiance copy.
  lftm_test::RgbePlanar image = lftm_test::make_test_image(420, 380, 9);
  auto byte = [&image](int x, int y, int component) -> uint8_t& {
    return image.bytes[static_cast<size_t>(4 * y + component) * image.width + x];
  };
  byte(0, 0, 3) = byte(1, 1, 3) = byte(419, 379, 3) = 0;
  byte(200, 100, 0) = byte(200, 100, 1) = byte(200, 100, 2) = 0;
  const std::string deep = dir.file("deep.hdr");
  ASSERT_TRUE(lftm_test::write_file(deep, lftm_test::encode_rgbe_file(image, true)));
  const std::string floats =
      lftm_test::write_tiff(dir.file("floats.tif"), 64, 48, lftm_test::TiffSamples::kFloat32);
  const struct {
    const char* name;
    int bits;
  } outputs[] = {{"out16.tif", 16}, {"out8.tif", 8}, {"out8.jpg", 8}};
  for (const std::string& in : {deep, floats}) {
    for (const auto& out : outputs) {
      const std::string memory = dir.file(std::string("memory_") + out.name);
      const std::string disk = dir.file(std::string("disk_") + out.name);
      ASSERT_GE(booster_run(in, memory, out.bits, false), 0) << in << out.name;
      const size_t said = quiet.out().size();
      ASSERT_GE(booster_run(in, disk, out.bits, true), 0) << in << out.name;
      EXPECT_TRUE(lftm_test::read_file(memory) == lftm_test::read_file(disk)) << in << out.name;
      if (in == deep) {  // its finest levels were solved from disk
        EXPECT_NE(quiet.out().find("readFromDisk: 1\n", said), std::string::npos);
        // Every band finished at once: 16-bit rows reach into the plane rows of the bands
        // before them, which must have been read first.
        const std::string wide = dir.file(std::string("wide_") + out.name);
        ASSERT_GE(booster_run(in, wide, out.bits, true, 32), 0) << out.name;
        EXPECT_TRUE(lftm_test::read_file(memory) == lftm_test::read_file(wide)) << out.name;
        // A limit that leaves the solver nothing beside the estimate: its vectors stream
        // through files, and the bytes stay those of memory mode.
        TmParam params;
        tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &params);
        PyramidDims dims = {};
        tm_dim(420, 380, &params, &dims);
        const lftm::RunImage shape = {LFTM_EXT_HDR, 420, 380, 3, out.bits,
                                      lftm::file_length(deep.c_str())};
        const int64_t limit = lftm::booster_needs(shape, dims, true).memory;
        const std::string lean = dir.file(std::string("lean_") + out.name);
        const size_t before = quiet.out().size();
        ASSERT_GE(booster_run(in, lean, out.bits, true, 3, limit), 0) << out.name;
        EXPECT_TRUE(lftm_test::read_file(memory) == lftm_test::read_file(lean)) << out.name;
        EXPECT_NE(quiet.out().find("vectors kept in memory: 0 of 2", before), std::string::npos);
        // Without memory for the output buffer it goes to a mapped scratch file, whose pages
        // are handed back while the stages run: the bytes stay those of memory mode.
        lftm::simulate_failure(lftm::Fault::kOutputBuffer, 0);
        const std::string mapped = dir.file(std::string("mapped_") + out.name);
        const size_t mappedFrom = quiet.out().size();
        const int mappedRun = booster_run(in, mapped, out.bits, true);
        lftm::simulate_failure(lftm::Fault::kOutputBuffer, -1);
        ASSERT_GE(mappedRun, 0) << out.name;
        EXPECT_TRUE(lftm_test::read_file(memory) == lftm_test::read_file(mapped)) << out.name;
        EXPECT_NE(quiet.out().find("output buffer in a scratch file", mappedFrom),
                  std::string::npos);
      }
      // 8-bit output is finished at 8 bits in disk mode too: the writer narrows nothing.
      EXPECT_NE(quiet.out().find("7 infos=0\n", said), std::string::npos);
    }
  }
}

// With workers, the writer encodes the rows they have finished while they compute the others;
// a writer library without the streaming entries gets the whole image afterwards. Every
// worker count gives the file the whole-image writer makes, byte for byte, rows left over by
// the tiles included.
TEST(ThreadCountTest, StreamedFilesAreTheWholeImageWritersFiles) {
  lftm_test::DiagCapture quiet;
  lftm_test::TempDir dir;
  const std::string in = lftm_test::write_hdr(dir.file("in.hdr"), 240, 163, 5);
  const lftm::SiblingNames wholeImageWriters = {"lftm_stub_whole_jpg.dll",
                                                "lftm_stub_whole_tif.dll",
                                                lftm::kTiffReaderLibrary,
                                                lftm::kExrReaderLibrary};
  for (Method method : {Method::kBooster, Method::kSqueezer}) {
    for (int bits : {8, 16}) {
      const std::string ext = bits == 8 ? ".jpg" : ".tif";
      DriverRun run;
      run.method = method;
      run.in = in;
      run.bits = bits;
      run.threads = 3;
      run.names = &wholeImageWriters;
      run.out = dir.file("whole" + ext);
      ASSERT_EQ(lftm_test::run_driver(run), 1);
      const std::vector<uint8_t> whole = lftm_test::read_file(run.out);
      run.names = nullptr;
      run.out = dir.file("streamed" + ext);
      for (int threads : {1, 2, 5, 32}) {
        run.threads = threads;
        ASSERT_EQ(lftm_test::run_driver(run), 1);
        EXPECT_TRUE(lftm_test::read_file(run.out) == whole)
            << (method == Method::kBooster ? "booster " : "squeezer ") << bits << " bits, "
            << threads << " threads";
      }
    }
  }
}

}  // namespace
