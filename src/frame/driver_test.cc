// SPDX-License-Identifier: BSD-3-Clause
// The drivers' input checks, writer choice, library loading codes and refusals.
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"

namespace lftm_test {
namespace {

const lftm::SiblingNames kMissing = {"No_Such_Jpeg.dll", "No_Such_Tiff_Writer.dll",
                                     "No_Such_Tiff_Reader.dll", "No_Such_Exr.dll"};
const lftm::SiblingNames kEmpty = {"lftm_stub_empty.dll", "lftm_stub_empty.dll",
                                   "lftm_stub_empty.dll", "lftm_stub_empty.dll"};

class DriverTest : public ::testing::TestWithParam<Method> {
 protected:
  DriverRun base(const std::string& outName) {
    DriverRun run;
    run.method = GetParam();
    run.in = write_hdr(dir_.file("in.hdr"), 64, 48);
    run.out = dir_.file(outName);
    return run;
  }
  TempDir dir_;
};

TEST_P(DriverTest, UnsupportedInputKindsAreRefusedWithTheMessage) {
  for (int32_t extType : {99, 102, 150, 199, 202, 0, -100}) {
    DriverRun run = base("out.jpg");
    run.extType = extType;
    DiagCapture capture;
    EXPECT_EQ(run_driver(run), LFTM_ERR_EXT_TYPE) << extType;
    EXPECT_NE(capture.out().find("Invalid extension type paramater - Value passed is " +
                                 std::to_string(extType)),
              std::string::npos);
    if (GetParam() == Method::kSqueezer) {
      EXPECT_EQ(capture.out().find("Invalid"), 0u) << "nothing is printed before the message";
    }
    EXPECT_FALSE(file_exists(run.out));
  }
}

TEST_P(DriverTest, OnlyExactlyJpgOrJPGAt8BitsGoesToTheJpegWriter) {
  struct Case {
    const char* name;
    int32_t bits;
    bool jpeg;
  };
  const Case cases[] = {{"a.jpg", 8, true},   {"b.JPG", 8, true},   {"c.Jpg", 8, false},
                        {"d.jpeg", 8, false}, {"e.jpg", 16, false}, {"f.tif", 8, false},
                        {"g.tif", 16, false}};
  for (const Case& c : cases) {
    DriverRun run = base(c.name);
    run.bits = c.bits;
    DiagCapture capture;
    ASSERT_EQ(run_driver(run), 1) << c.name;
    EXPECT_EQ(starts_with_jpeg_marker(run.out), c.jpeg) << c.name;
    EXPECT_EQ(starts_with_tiff_header(run.out), !c.jpeg) << c.name;
  }
}

TEST_P(DriverTest, MissingLibrariesGiveTheirCodesAndName) {
  struct Case {
    int32_t extType;
    const char* out;
    int32_t code;
    const char* printed;
  };
  const Case cases[] = {{LFTM_EXT_HDR, "o.jpg", LFTM_ERR_LOAD_JPG, "libNo_Such_Jpeg.so"},
                        {LFTM_EXT_HDR, "o.tif", LFTM_ERR_LOAD_TIFW, "libNo_Such_Tiff_Writer.so"}};
  for (const Case& c : cases) {
    DriverRun run = base(c.out);
    run.extType = c.extType;
    run.names = &kMissing;
    DiagCapture capture;
    EXPECT_EQ(run_driver(run), c.code);
    EXPECT_NE(capture.out().find(std::string("Can not load ") + c.printed), std::string::npos);
  }
  // Readers are loaded after the writer: with the real writers and missing readers.
  DiagCapture capture;
  const lftm::SiblingNames realWritersOnly = {lftm::kJpegWriterLibrary,
                                              lftm::kTiffWriterLibrary, "No_Such_Tiff_Reader.dll",
                                              "No_Such_Exr.dll"};
  DriverRun run = base("o.jpg");
  run.names = &realWritersOnly;
  run.extType = LFTM_EXT_TIF_LINEAR;
  EXPECT_EQ(run_driver(run), LFTM_ERR_LOAD_TIFR);
  run.extType = LFTM_EXT_EXR;
  EXPECT_EQ(run_driver(run), LFTM_ERR_LOAD_EXR);
}

TEST_P(DriverTest, MissingEntryPointsGiveTheirCodesAndName) {
  struct Case {
    const lftm::SiblingNames* names;
    int32_t extType;
    const char* out;
    int32_t code;
    const char* entry;
  };
  const lftm::SiblingNames emptyReaders = {lftm::kJpegWriterLibrary, lftm::kTiffWriterLibrary,
                                           "lftm_stub_empty.dll", "lftm_stub_empty.dll"};
  const lftm::SiblingNames firstOnlyReaders = {lftm::kJpegWriterLibrary,
                                               lftm::kTiffWriterLibrary, "lftm_stub_first.dll",
                                               "lftm_stub_first.dll"};
  const Case cases[] = {
      {&kEmpty, LFTM_EXT_HDR, "o.jpg", LFTM_ERR_ENTRY_JPG, "LFwritejpg"},
      {&kEmpty, LFTM_EXT_HDR, "o.tif", LFTM_ERR_ENTRY_BUF2TIF, "buf2tif"},
      {&emptyReaders, LFTM_EXT_TIF_GAMMA, "o.jpg", LFTM_ERR_ENTRY_INFOTIF, "infotif"},
      {&firstOnlyReaders, LFTM_EXT_TIF_GAMMA, "o.jpg", LFTM_ERR_ENTRY_READTIF, "LFreadtifflat"},
      {&emptyReaders, LFTM_EXT_EXR, "o.jpg", LFTM_ERR_ENTRY_EXRDIM, "lfexr_dim"},
      {&firstOnlyReaders, LFTM_EXT_EXR, "o.jpg", LFTM_ERR_ENTRY_EXRREAD, "lfexr_read"},
  };
  for (const Case& c : cases) {
    DriverRun run = base(c.out);
    run.extType = c.extType;
    run.names = c.names;
    DiagCapture capture;
    EXPECT_EQ(run_driver(run), c.code) << c.entry;
    EXPECT_NE(capture.out().find(std::string("GetProcAddress Failed for: ") + c.entry + "\n"),
              std::string::npos)
        << c.entry;
  }
}

TEST_P(DriverTest, UnreadableInputsAndOutputsFailWithoutLeavingAFile) {
  DiagCapture capture;
  DriverRun run = base("out.jpg");
  run.in = dir_.file("missing.hdr");
  EXPECT_EQ(run_driver(run), LFTM_ERR_INFO);
  run.in = dir_.file("missing.tif");
  run.extType = LFTM_EXT_TIF_GAMMA;
  EXPECT_EQ(run_driver(run), LFTM_ERR_INFO);
  run.extType = LFTM_EXT_EXR;
  EXPECT_EQ(run_driver(run), LFTM_ERR_INFO);

  // A header that promises more pixels than the file holds.
  DriverRun truncated = base("out.jpg");
  std::vector<uint8_t> bytes = read_file(truncated.in);
  bytes.resize(bytes.size() / 2);
  write_file(truncated.in, bytes);
  EXPECT_EQ(run_driver(truncated), LFTM_ERR_READ);
  EXPECT_FALSE(file_exists(truncated.out));

  // The writer cannot create the file: its code comes back, nothing is left.
  DriverRun noFolder = base("no/such/folder/out.tif");
  EXPECT_EQ(run_driver(noFolder), LFTM_ERR_WRITER_CREATE);
  EXPECT_EQ(capture.out().find("saved as: " + noFolder.out), std::string::npos);
}

TEST_P(DriverTest, ImagesTooSmallOrTooLargeAreRefused) {
  DiagCapture capture;
  DriverRun tiny = base("tiny.tif");
  tiny.in = write_hdr(dir_.file("tiny.hdr"), 9, 40);
  // The Range Squeezer has no pyramid and handles any size.
  EXPECT_EQ(run_driver(tiny), GetParam() == Method::kSqueezer ? 1 : LFTM_ERR_TOO_SMALL);

  // An OpenEXR header of 70000 x 70000 pixels: every buffer would pass 2^31 bytes. (The
  // file holds no pixels; nothing gets as far as reading them.)
  DriverRun huge = base("huge.tif");
  huge.extType = LFTM_EXT_EXR;
  huge.in = dir_.file("huge.exr");
  ExrLayout header;
  header.width = 70000;
  header.height = 70000;
  header.channels = {"R"};
  header.samples = ExrSamples::kHalf;
  header.pixels = false;
  write_exr(huge.in, header, nullptr);
  EXPECT_EQ(run_driver(huge), LFTM_ERR_TOO_LARGE);
  EXPECT_FALSE(file_exists(huge.out));

  // A Radiance file of 1.66 gigapixels, which the reader accepts but whose pyramid would
  // pass 2^31 - 1 floats. Its length (a sparse file) is what the run-length rows of that
  // size need at the least.
  if (GetParam() == Method::kBooster) {
    const std::string head = "#?RADIANCE\n\n-Y 52000 +X 32000\n";
    std::vector<uint8_t> file(head.begin(), head.end());
    file.insert(file.end(), {2, 2, 32000 >> 8, 32000 & 0xff});
    huge.in = dir_.file("huge.hdr");
    huge.extType = LFTM_EXT_HDR;
    write_file(huge.in, file);
    ASSERT_EQ(truncate(huge.in.c_str(), head.size() + 52000LL * (4 + 8 * 252)), 0);
    EXPECT_EQ(run_driver(huge), LFTM_ERR_TOO_LARGE);
    EXPECT_NE(capture.out().find("32000 x 52000 pixels (1.66 gigapixels) is too large"),
              std::string::npos);
  }

  // A panorama wider than a JPEG can hold is refused before any work, not by the writer at
  // the end of the run (a flat sparse file of 70000 x 10 pixels).
  const std::string head = "#?RADIANCE\n\n-Y 10 +X 70000\n";
  DriverRun wide = base("wide.jpg");
  wide.in = dir_.file("wide.hdr");
  write_file(wide.in, std::vector<uint8_t>(head.begin(), head.end()));
  ASSERT_EQ(truncate(wide.in.c_str(), head.size() + 4LL * 70000 * 10), 0);
  EXPECT_EQ(run_driver(wide), LFTM_ERR_WRITER_ARGS);
  EXPECT_NE(capture.out().find("a JPEG holds at most 65500 pixels a side and the image is "
                               "70000 x 10: write a TIFF"),
            std::string::npos);
  EXPECT_EQ(capture.out().find("completed - 65% remaining"), std::string::npos);
  EXPECT_FALSE(file_exists(wide.out));
}

TEST_P(DriverTest, FilesAreWrittenInterleavedEvenWhenTheCallerAsksForPlanes) {
  DriverRun run = base("interleaved.tif");
  DiagCapture capture;
  ASSERT_EQ(run_driver(run), 1);
  run.out = dir_.file("planes.tif");
  run.planes = 3;
  ImageDesc desc;
  ASSERT_EQ(run_driver(run, &desc), 1);
  EXPECT_EQ(desc.planes, 3) << "the caller's record keeps its layout";
  TiffImage interleaved, planes;
  ASSERT_TRUE(read_tiff(dir_.file("interleaved.tif"), &interleaved));
  ASSERT_TRUE(read_tiff(run.out, &planes));
  EXPECT_TRUE(interleaved.samples == planes.samples);
}

TEST_P(DriverTest, WritesTheLayoutBackAndTheWriterRecord) {
  DriverRun run = base("out.tif");
  run.bits = 16;
  run.save.options[LFTM_SAVE_COMPRESSION] = LFTM_TIFF_LZW;
  run.save.options[LFTM_SAVE_ICC] = LFTM_ICC_NONE;
  ImageDesc desc;
  DiagCapture capture;
  ASSERT_EQ(run_driver(run, &desc), 1);
  EXPECT_EQ(desc.width, 64);
  EXPECT_EQ(desc.height, 48);
  EXPECT_EQ(desc.spp, 3);
  EXPECT_EQ(desc.rowSamples, 192);
  EXPECT_EQ(desc.rowStride, 192);
  EXPECT_EQ(desc.spare, 8);
  TiffImage tiff;
  ASSERT_TRUE(read_tiff(run.out, &tiff));
  EXPECT_EQ(tiff.bits, 16);
  EXPECT_EQ(tiff.compression, 5);  // LZW
  EXPECT_FALSE(tiff.hasIcc);
  // The settings of the run travel in the file.
  const char* method = GetParam() == Method::kSqueezer ? "Range Squeezer" : "Texture Booster";
  EXPECT_NE(tiff.xmp.find(std::string("<lftm:Method>") + method), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(BothDrivers, DriverTest,
                         ::testing::Values(Method::kBooster, Method::kSqueezer),
                         [](const ::testing::TestParamInfo<Method>& info) {
                           return info.param == Method::kSqueezer ? "tms" : "tonemap";
                         });

TEST(TmsTest, AFlatImageFailsInTheSqueezerWithoutAFile) {
  TempDir dir;
  RgbePlanar flat = make_test_image(32, 32);
  for (size_t i = 0; i < flat.bytes.size(); ++i) flat.bytes[i] = (i / 32) % 4 == 3 ? 130 : 200;
  DriverRun run;
  run.method = Method::kSqueezer;
  run.in = dir.file("flat.hdr");
  run.out = dir.file("flat.jpg");
  write_file(run.in, encode_rgbe_file(flat, false));
  DiagCapture capture;
  EXPECT_EQ(run_driver(run), -1);
  EXPECT_FALSE(file_exists(run.out));
}

// Disk mode reads 16-bit TIFF samples nowhere; a TIFF of floats it spools like OpenEXR.
TEST(TonemapTest, DiskModeRefusesSixteenBitTiff) {
  TempDir dir;
  DriverRun run;
  run.extType = LFTM_EXT_TIF_GAMMA;
  run.disk = true;
  run.in = sample_path("golden_gate_linear16.tif");
  run.out = dir.file("out.jpg");
  DiagCapture capture;
  EXPECT_EQ(run_driver(run), LFTM_ERR_DISK_TIFF);
  EXPECT_FALSE(file_exists(run.out));
  // The Range Squeezer has no disk mode and does not refuse.
  run.method = Method::kSqueezer;
  EXPECT_EQ(run_driver(run), 1);
}

}  // namespace
}  // namespace lftm_test
