// SPDX-License-Identifier: BSD-3-Clause
// Every way a driver run can fail, and a run interrupted part-way, must leave nothing behind:
// no scratch file in the temporary directory, no output file (and no temporary beside it),
// no open file descriptor; an earlier file of the output's name stays as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <string>

#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"
#include "platform/workers.h"

namespace {

using lftm_test::Method;
using lftm_test::DriverRun;

const lftm::SiblingNames kMissing = {"No_Such_Jpeg.dll", "No_Such_Tiff_Writer.dll",
                                     "No_Such_Tiff_Reader.dll", "No_Such_Exr.dll"};
const lftm::SiblingNames kNoEntries = {"lftm_stub_empty.dll", "lftm_stub_empty.dll",
                                       "lftm_stub_empty.dll", "lftm_stub_empty.dll"};
// Real writers; readers that have only their information call.
const lftm::SiblingNames kFirstEntriesOnly = {"Lumenforge32_jpg.dll", "Lumenforge32Lib1.dll",
                                              "lftm_stub_first.dll", "lftm_stub_first.dll"};

class ResourceHygieneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // One successful run first, so that whatever the process keeps open for good (the
    // loader's caches, the standard streams' buffers) is already there when counting starts.
    DriverRun warmUp = run(Method::kBooster, "warm_up.tif");
    ASSERT_EQ(lftm_test::run_driver(warmUp), 1);
    ASSERT_EQ(lftm_test::run_driver(run(Method::kSqueezer, "warm_up2.tif")), 1);
  }

  DriverRun run(Method method, const std::string& outName) {
    DriverRun r;
    r.method = method;
    r.in = hdr_;
    r.out = inputs_.file(outName);
    return r;
  }

  // Runs the driver and checks its code and that the run left nothing behind.
  void expect_clean_failure(const DriverRun& r, int32_t code) {
    const int descriptors = lftm_test::open_descriptor_count();
    EXPECT_EQ(lftm_test::run_driver(r), code);
    EXPECT_EQ(lftm_test::open_descriptor_count(), descriptors) << "a file was left open";
    EXPECT_TRUE(lftm_test::directory_entries(tmp_.path()).empty()) << "a scratch file was left";
    EXPECT_FALSE(lftm_test::file_exists(r.out)) << "an output file was left";
  }

  lftm_test::QuietDiagnostics quiet_;
  lftm_test::TempDir inputs_;  // made before TMPDIR moves, so it is not inside it
  std::string hdr_ = lftm_test::write_hdr(inputs_.file("in.hdr"), 48, 36);
  lftm_test::ScopedTmpdir tmp_;
};

TEST_F(ResourceHygieneTest, RefusedCallsAndMissingLibraries) {
  for (Method m : {Method::kBooster, Method::kSqueezer}) {
    SCOPED_TRACE(m == Method::kBooster ? "tonemap" : "tms");
    DriverRun r = run(m, "out.tif");
    r.extType = 150;
    expect_clean_failure(r, LFTM_ERR_EXT_TYPE);

    r = run(m, "out.jpg");
    r.names = &kMissing;
    expect_clean_failure(r, LFTM_ERR_LOAD_JPG);
    r.names = &kNoEntries;
    expect_clean_failure(r, LFTM_ERR_ENTRY_JPG);
    r = run(m, "out.tif");
    r.names = &kMissing;
    expect_clean_failure(r, LFTM_ERR_LOAD_TIFW);
    r.names = &kNoEntries;
    expect_clean_failure(r, LFTM_ERR_ENTRY_BUF2TIF);

    // Readers: the writer loads first, so these runs also release a loaded writer.
    const std::string tif = lftm_test::write_tiff(inputs_.file("in.tif"), 32, 24,
                                                  lftm_test::TiffSamples::kUint16);
    const std::string exr = lftm_test::write_exr(inputs_.file("in.exr"), 32, 24);
    struct ReaderCase {
      int32_t extType;
      const std::string* in;
      const lftm::SiblingNames* names;
      int32_t code;
    };
    const lftm::SiblingNames missingReaders = {kFirstEntriesOnly.jpegWriter,
                                               kFirstEntriesOnly.tiffWriter, kMissing.tiffReader,
                                               kMissing.exrReader};
    const lftm::SiblingNames emptyReaders = {kFirstEntriesOnly.jpegWriter,
                                             kFirstEntriesOnly.tiffWriter, kNoEntries.tiffReader,
                                             kNoEntries.exrReader};
    const ReaderCase readers[] = {
        {LFTM_EXT_TIF_LINEAR, &tif, &missingReaders, LFTM_ERR_LOAD_TIFR},
        {LFTM_EXT_TIF_LINEAR, &tif, &emptyReaders, LFTM_ERR_ENTRY_INFOTIF},
        {LFTM_EXT_TIF_GAMMA, &tif, &kFirstEntriesOnly, LFTM_ERR_ENTRY_READTIF},
        {LFTM_EXT_EXR, &exr, &missingReaders, LFTM_ERR_LOAD_EXR},
        {LFTM_EXT_EXR, &exr, &emptyReaders, LFTM_ERR_ENTRY_EXRDIM},
        {LFTM_EXT_EXR, &exr, &kFirstEntriesOnly, LFTM_ERR_ENTRY_EXRREAD},
    };
    for (const ReaderCase& c : readers) {
      SCOPED_TRACE(c.code);
      r = run(m, "out.tif");
      r.extType = c.extType;
      r.in = *c.in;
      r.names = c.names;
      expect_clean_failure(r, c.code);
    }
  }
}

TEST_F(ResourceHygieneTest, InputsThatCannotBeRead) {
  const std::string garbage = inputs_.file("garbage.bin");
  lftm_test::write_file(garbage, std::vector<uint8_t>(300, 0x41));
  const std::string intTiff = lftm_test::write_tiff(inputs_.file("int32.tif"), 16, 16,
                                                    lftm_test::TiffSamples::kUint32);
  const std::string tiff16 = lftm_test::write_tiff(inputs_.file("in16.tif"), 16, 16,
                                                   lftm_test::TiffSamples::kUint16);
  const std::string truncated =
      lftm_test::write_truncated_hdr(inputs_.file("cut.hdr"), 48, 36, 48 * 4 * 10);
  // An OpenEXR header may announce any size; the pixels are never looked at.
  const std::string huge = lftm_test::write_exr(inputs_.file("huge.exr"), 70000, 70000, false);
  for (Method m : {Method::kBooster, Method::kSqueezer}) {
    for (bool disk : {false, true}) {
      if (disk && m == Method::kSqueezer) continue;  // tms has no disk mode
      SCOPED_TRACE(std::string(m == Method::kBooster ? "tonemap" : "tms") +
                   (disk ? " disk" : " memory"));
      for (int32_t extType : {LFTM_EXT_HDR, LFTM_EXT_EXR, LFTM_EXT_TIF_LINEAR}) {
        if (disk && extType == LFTM_EXT_TIF_LINEAR) continue;
        DriverRun r = run(m, "out.tif");
        r.disk = disk;
        r.extType = extType;
        r.in = garbage;
        expect_clean_failure(r, LFTM_ERR_INFO);
        r.in = inputs_.file("no_such_file");
        expect_clean_failure(r, LFTM_ERR_INFO);
      }
      DriverRun r = run(m, "out.tif");
      r.disk = disk;
      r.in = truncated;
      // The header declares more pixels than the file holds: refused before anything is
      // allocated, in both modes.
      expect_clean_failure(r, LFTM_ERR_READ);
      r.extType = LFTM_EXT_EXR;
      r.in = huge;
      expect_clean_failure(r, LFTM_ERR_TOO_LARGE);
      r.extType = LFTM_EXT_TIF_LINEAR;
      r.in = intTiff;
      expect_clean_failure(r, LFTM_ERR_IO);
    }
  }
  DriverRun r = run(Method::kBooster, "out.tif");
  r.disk = true;
  r.extType = LFTM_EXT_TIF_GAMMA;
  r.in = tiff16;
  expect_clean_failure(r, LFTM_ERR_DISK_TIFF);
  r = run(Method::kBooster, "out.tif");
  r.in = lftm_test::write_hdr(inputs_.file("narrow.hdr"), 9, 40);
  expect_clean_failure(r, LFTM_ERR_TOO_SMALL);
}

TEST_F(ResourceHygieneTest, AnOutputThatCannotBeMadeFailsBeforeTheImageIsRead) {
  lftm_test::DiagCapture capture;
  const std::string aFile = inputs_.file("a_file");
  lftm_test::write_file(aFile, {1, 2, 3});
  const std::string aFolder = inputs_.file("a_folder");
  ASSERT_EQ(mkdir(aFolder.c_str(), 0700), 0);
  for (Method m : {Method::kBooster, Method::kSqueezer}) {
    for (bool disk : {false, true}) {
      DriverRun r = run(m, "unused");
      r.disk = disk;
      for (const std::string& out : {inputs_.file("no_such_dir/out.jpg"), aFile + "/out.tif"}) {
        r.out = out;
        expect_clean_failure(r, LFTM_ERR_WRITER_CREATE);
      }
      // An existing folder of the output's name.
      for (const std::string& out : {aFolder, aFolder + "/"}) {
        r.out = out;
        EXPECT_EQ(lftm_test::run_driver(r), LFTM_ERR_WRITER_CREATE);
      }
    }
  }
  // Neither driver got as far as the image's size, let alone its scratch files or stages.
  EXPECT_EQ(capture.out().find("Processing"), std::string::npos) << capture.out();
  EXPECT_EQ(capture.out().find("Dimensions input image"), std::string::npos);
  EXPECT_EQ(lftm_test::directory_entries(aFolder).size(), 0u);
  rmdir(aFolder.c_str());
}

TEST_F(ResourceHygieneTest, AnEarlierOutputIsKeptByFailuresAndReplacedWholeBySuccess) {
  const std::string outs = inputs_.file("outs");
  ASSERT_EQ(mkdir(outs.c_str(), 0700), 0);
  const std::vector<uint8_t> earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
  const std::string cut = lftm_test::write_truncated_hdr(inputs_.file("cut.hdr"), 48, 36, 900);
  lftm_test::RgbePlanar grey = lftm_test::make_test_image(20, 20);
  for (size_t i = 0; i < grey.bytes.size(); ++i) grey.bytes[i] = (i / 20) % 4 == 3 ? 130 : 90;
  const std::string flat = inputs_.file("flat.hdr");
  lftm_test::write_file(flat, lftm_test::encode_rgbe_file(grey, false));
  const mode_t oldMask = umask(022);
  for (Method m : {Method::kBooster, Method::kSqueezer}) {
    for (const char* name : {"out.jpg", "out.tif"}) {
      SCOPED_TRACE(std::string(m == Method::kBooster ? "tonemap " : "tms ") + name);
      DriverRun r = run(m, name);
      r.out = outs + "/" + name;
      lftm_test::write_file(r.out, earlier);
      chmod(r.out.c_str(), 0600);
      // A damaged input (in memory and disk mode), and a flat image the Range Squeezer
      // refuses after reading it.
      for (const std::string& in : {cut, flat}) {
        for (bool disk : {false, true}) {
          if (m == Method::kBooster ? in == flat : disk) continue;
          r.in = in;
          r.disk = disk;
          EXPECT_LT(lftm_test::run_driver(r), 0);
          EXPECT_EQ(lftm_test::read_file(r.out), earlier);
          EXPECT_EQ(lftm_test::directory_entries(outs), std::vector<std::string>{name})
              << "a temporary was left beside the output";
        }
      }
      // Success replaces the file whole, keeping its mode; a new file gets the mode the
      // umask leaves.
      umask(m == Method::kBooster ? 022 : 027);
      r.in = hdr_;
      r.disk = false;
      ASSERT_EQ(lftm_test::run_driver(r), 1);
      EXPECT_GT(lftm_test::read_file(r.out).size(), 100u);
      struct stat st;
      ASSERT_EQ(stat(r.out.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0600u);
      EXPECT_EQ(lftm_test::directory_entries(outs), std::vector<std::string>{name});
      unlink(r.out.c_str());
      ASSERT_EQ(lftm_test::run_driver(r), 1);
      ASSERT_EQ(stat(r.out.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, m == Method::kBooster ? 0644u : 0640u);
      unlink(r.out.c_str());
    }
  }
  umask(oldMask);
  rmdir(outs.c_str());
  EXPECT_TRUE(lftm_test::directory_entries(tmp_.path()).empty()) << "a scratch file was left";
}

TEST_F(ResourceHygieneTest, RunsThatFailInTheStages) {
  // A worker thread that cannot be started costs nothing but time: its tile runs on the
  // calling thread, the output has the bytes of a run whose workers all started, and the run
  // leaves nothing behind.
  for (Method m : {Method::kBooster, Method::kSqueezer}) {
    SCOPED_TRACE(m == Method::kBooster ? "tonemap" : "tms");
    DriverRun all = run(m, "all_started.tif");
    all.threads = 4;
    ASSERT_EQ(lftm_test::run_driver(all), 1);
    DriverRun r = run(m, "none_started.tif");
    r.threads = 4;
    lftm::simulate_thread_start_failure(0);
    const int descriptors = lftm_test::open_descriptor_count();
    const int32_t code = lftm_test::run_driver(r);
    lftm::simulate_thread_start_failure(-1);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(lftm_test::open_descriptor_count(), descriptors);
    EXPECT_TRUE(lftm_test::directory_entries(tmp_.path()).empty());
    EXPECT_EQ(lftm_test::read_file(r.out), lftm_test::read_file(all.out));
  }
  // A flat image leaves the Range Squeezer nothing to do.
  DriverRun flat = run(Method::kSqueezer, "flat.tif");
  lftm_test::RgbePlanar grey = lftm_test::make_test_image(20, 20);
  for (size_t i = 0; i < grey.bytes.size(); ++i) grey.bytes[i] = (i / 20) % 4 == 3 ? 130 : 90;
  flat.in = inputs_.file("flat.hdr");
  lftm_test::write_file(flat.in, lftm_test::encode_rgbe_file(grey, false));
  expect_clean_failure(flat, -1);
}

// A file size limit stands in for a disk that fills up: the writer fails after the opening
// segments and some rows, whether it took the rows while the workers computed them (several
// threads) or the whole image afterwards (one).
TEST_F(ResourceHygieneTest, AWriterThatFailsPartWayLeavesNoFile) {
  const std::string large = lftm_test::write_hdr(inputs_.file("large.hdr"), 600, 400, 3);
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit unlimited = {}, limited = {};
  getrlimit(RLIMIT_FSIZE, &unlimited);
  limited = unlimited;
  limited.rlim_cur = 6 * 1024;  // past the JPEG segments before the pixels (about 4.5 KB)
  for (Method m : {Method::kBooster, Method::kSqueezer}) {
    for (int bits : {8, 16}) {
      for (int threads : {1, 3}) {
        SCOPED_TRACE(std::string(m == Method::kBooster ? "tonemap " : "tms ") +
                     std::to_string(bits) + " bits, " + std::to_string(threads) + " threads");
        DriverRun r = run(m, bits == 8 ? "full.jpg" : "full.tif");
        r.in = large;
        r.bits = bits;
        r.threads = threads;
        setrlimit(RLIMIT_FSIZE, &limited);
        expect_clean_failure(r, LFTM_ERR_WRITER_IO);
        setrlimit(RLIMIT_FSIZE, &unlimited);
      }
    }
  }
  sigaction(SIGXFSZ, &previous, nullptr);
}

TEST_F(ResourceHygieneTest, DiskModeWithoutAUsableTemporaryDirectory) {
  DriverRun r = run(Method::kBooster, "out.tif");
  r.disk = true;
  const std::string missing = inputs_.file("not_a_dir");
  lftm_test::ScopedTmpdir missingTmp(missing);
  const int descriptors = lftm_test::open_descriptor_count();
  EXPECT_EQ(lftm_test::run_driver(r), LFTM_ERR_FILE);
  EXPECT_EQ(lftm_test::open_descriptor_count(), descriptors);
  EXPECT_FALSE(lftm_test::file_exists(missing));
  EXPECT_FALSE(lftm_test::file_exists(r.out));
}

}  // namespace
