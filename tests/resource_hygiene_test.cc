// Every way a driver run can fail, and a run interrupted part-way, must leave nothing behind:
// no scratch file in the temporary directory, no output file, no open file descriptor.
#include <gtest/gtest.h>

#include <string>

#include "driver_runs.h"
#include "hardening_support.h"
#include "platform/workers.h"
#include "test_support.h"

namespace {

using lftm_hard::Method;
using lftm_hard::DriverRun;

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
    ASSERT_EQ(lftm_hard::run_driver(warmUp), 1);
    ASSERT_EQ(lftm_hard::run_driver(run(Method::kSqueezer, "warm_up2.tif")), 1);
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
    const int descriptors = lftm_hard::open_descriptor_count();
    EXPECT_EQ(lftm_hard::run_driver(r), code);
    EXPECT_EQ(lftm_hard::open_descriptor_count(), descriptors) << "a file was left open";
    EXPECT_TRUE(lftm_hard::directory_entries(tmp_.path()).empty()) << "a scratch file was left";
    EXPECT_FALSE(lftm_hard::file_exists(r.out)) << "an output file was left";
  }

  lftm_hard::QuietDiagnostics quiet_;
  lftm_test::TempDir inputs_;  // made before TMPDIR moves, so it is not inside it
  std::string hdr_ = lftm_hard::write_hdr(inputs_.file("in.hdr"), 48, 36);
  lftm_hard::ScopedTmpdir tmp_;
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
    const std::string tif = lftm_hard::write_tiff(inputs_.file("in.tif"), 32, 24,
                                                  lftm_hard::TiffSamples::kUint16);
    const std::string exr = lftm_hard::write_exr(inputs_.file("in.exr"), 32, 24);
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
  const std::string intTiff = lftm_hard::write_tiff(inputs_.file("int32.tif"), 16, 16,
                                                    lftm_hard::TiffSamples::kUint32);
  const std::string tiff16 = lftm_hard::write_tiff(inputs_.file("in16.tif"), 16, 16,
                                                   lftm_hard::TiffSamples::kUint16);
  const std::string truncated =
      lftm_hard::write_truncated_hdr(inputs_.file("cut.hdr"), 48, 36, 48 * 4 * 10);
  // An OpenEXR header may announce any size; the pixels are never looked at.
  const std::string huge = lftm_hard::write_exr(inputs_.file("huge.exr"), 70000, 70000, false);
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
  r.in = lftm_hard::write_hdr(inputs_.file("narrow.hdr"), 9, 40);
  expect_clean_failure(r, LFTM_ERR_TOO_SMALL);
}

TEST_F(ResourceHygieneTest, RunsThatFailAfterTheScratchFilesExist) {
  // The writer cannot create the output: every stage has run, in disk mode through all six
  // scratch files.
  for (Method m : {Method::kBooster, Method::kSqueezer}) {
    for (bool disk : {false, true}) {
      DriverRun r = run(m, "out.tif");
      r.disk = disk;
      r.out = inputs_.file("no_such_dir/out.tif");
      expect_clean_failure(r, LFTM_ERR_WRITER_CREATE);
      r.out = inputs_.file("no_such_dir/out.jpg");
      expect_clean_failure(r, LFTM_ERR_WRITER_CREATE);
    }
  }
  // A worker thread that cannot be started in the finishing stage ends the run there.
  for (Method m : {Method::kBooster, Method::kSqueezer}) {
    DriverRun r = run(m, "out.tif");
    r.threads = 4;
    lftm::simulate_thread_start_failure(0);
    const int descriptors = lftm_hard::open_descriptor_count();
    const int32_t code = lftm_hard::run_driver(r);
    lftm::simulate_thread_start_failure(-1);
    EXPECT_EQ(code, LFTM_ERR_IO);
    EXPECT_EQ(lftm_hard::open_descriptor_count(), descriptors);
    EXPECT_TRUE(lftm_hard::directory_entries(tmp_.path()).empty());
    EXPECT_FALSE(lftm_hard::file_exists(r.out));
  }
  // A flat image leaves the Range Squeezer nothing to do.
  DriverRun flat = run(Method::kSqueezer, "flat.tif");
  lftm_test::RgbePlanar grey = lftm_test::make_test_image(20, 20);
  for (size_t i = 0; i < grey.bytes.size(); ++i) grey.bytes[i] = (i / 20) % 4 == 3 ? 130 : 90;
  flat.in = inputs_.file("flat.hdr");
  lftm_test::write_file(flat.in, lftm_test::encode_rgbe_file(grey, false));
  expect_clean_failure(flat, -1);
}

TEST_F(ResourceHygieneTest, DiskModeWithoutAUsableTemporaryDirectory) {
  DriverRun r = run(Method::kBooster, "out.tif");
  r.disk = true;
  const std::string missing = inputs_.file("not_a_dir");
  setenv("TMPDIR", missing.c_str(), 1);
  const int descriptors = lftm_hard::open_descriptor_count();
  EXPECT_EQ(lftm_hard::run_driver(r), LFTM_ERR_FILE);
  EXPECT_EQ(lftm_hard::open_descriptor_count(), descriptors);
  EXPECT_FALSE(lftm_hard::file_exists(missing));
  EXPECT_FALSE(lftm_hard::file_exists(r.out));
  setenv("TMPDIR", tmp_.path().c_str(), 1);
}

}  // namespace
