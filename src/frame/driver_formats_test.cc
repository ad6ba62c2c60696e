// The drivers on TIFF and OpenEXR input: samples per pixel, and the Range Squeezer on TIFF.
#include <tiffio.h>

#include <gtest/gtest.h>

#include <cmath>

#include "frame/driver_test_support.h"
#include "test_support.h"

namespace lftm_test {
namespace {

// A 16-bit TIFF with `spp` samples of a smooth gradient (alpha, if any, constant).
std::string write_tiff16(const std::string& path, int w, int h, int spp) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 16);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  if (spp == 2 || spp == 4) {
    uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  std::vector<uint16_t> row(static_cast<size_t>(w) * spp);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int s = 0; s < spp; ++s) {
        bool alpha = (spp == 2 && s == 1) || (spp == 4 && s == 3);
        row[x * spp + s] = alpha ? 65535 : static_cast<uint16_t>(200 + 300 * x + 150 * y + 90 * s);
      }
    }
    TIFFWriteScanline(tif, row.data(), y, 0);
  }
  TIFFClose(tif);
  return path;
}

TEST(DriverFormatsTest, FourSamplesAreProcessedAsThreeAndTwoAsOne) {
  TempDir dir;
  for (Driver driver : {Driver::kTonemap, Driver::kTms}) {
    for (int spp : {1, 2, 3, 4}) {
      DriverRun run;
      run.driver = driver;
      run.extType = LFTM_EXT_TIF_LINEAR;
      run.in = write_tiff16(dir.file("in.tif"), 48, 40, spp);
      run.out = dir.file("out.tif");
      ImageDesc desc;
      DiagCapture capture;
      ASSERT_EQ(run_driver(run, &desc), 1) << spp;
      const int expected = spp >= 3 ? 3 : 1;
      EXPECT_EQ(desc.spp, expected) << spp;
      TiffImage out;
      ASSERT_TRUE(read_tiff(run.out, &out));
      EXPECT_EQ(out.spp, expected) << spp;
    }
  }
}

// Mean absolute difference of two 8-bit images stored as 16-bit samples.
double mean_difference(const TiffImage& a, const TiffImage& b) {
  double sum = 0;
  for (size_t i = 0; i < a.samples.size(); ++i) {
    sum += std::abs(a.samples[i] / 257 - b.samples[i] / 257);
  }
  return sum / static_cast<double>(a.samples.size());
}

TEST(DriverFormatsTest, TheSqueezerSeesTheSamePhotographAlikeFromTiffAndRadiance) {
  TempDir dir;
  DiagCapture capture;
  DriverRun run;
  run.driver = Driver::kTms;
  run.in = sample_path("golden_gate.hdr");
  run.out = dir.file("from_hdr.tif");
  ASSERT_EQ(run_driver(run), 1);
  run.extType = LFTM_EXT_TIF_LINEAR;
  run.in = sample_path("golden_gate_linear16.tif");
  run.out = dir.file("from_tif.tif");
  ASSERT_EQ(run_driver(run), 1);
  TiffImage fromHdr, fromTif;
  ASSERT_TRUE(read_tiff(dir.file("from_hdr.tif"), &fromHdr));
  ASSERT_TRUE(read_tiff(dir.file("from_tif.tif"), &fromTif));
  ASSERT_EQ(fromHdr.samples.size(), fromTif.samples.size());
  // The TIFF lost the darkest tones to 16-bit quantisation, so the two are not identical;
  // read as RGBE bytes or at the scale of its 16-bit table the difference is 3 to 5 times
  // larger.
  EXPECT_LT(mean_difference(fromHdr, fromTif), 16.0);
}

TEST(DriverFormatsTest, OpenExrAndTiffSamplesToneMapWithBothMethods) {
  TempDir dir;
  DiagCapture capture;
  for (Driver driver : {Driver::kTonemap, Driver::kTms}) {
    DriverRun run;
    run.driver = driver;
    run.extType = LFTM_EXT_EXR;
    run.in = sample_path("desk.exr");
    run.out = dir.file("desk.jpg");
    ImageDesc desc;
    ASSERT_EQ(run_driver(run, &desc), 1);
    EXPECT_EQ(desc.width, 644);
    EXPECT_EQ(desc.height, 874);
    run.extType = LFTM_EXT_TIF_GAMMA;
    run.in = sample_path("golden_gate_linear16.tif");
    run.out = dir.file("gg.jpg");
    ASSERT_EQ(run_driver(run), 1);
    EXPECT_TRUE(starts_with_jpeg_marker(run.out));
  }
}

// Radiance files shorter than 512 bytes are read like any other; a header that declares far
// more pixels than its 2 KB file holds is refused with the read code, before the image is
// allocated (the run stays small), and so is it by the quick view.
TEST(DriverFormatsTest, TinyRadianceFilesReadAndOversizedOnesAreRefusedEarly) {
  TempDir dir;
  DiagCapture capture;
  for (Driver driver : {Driver::kTonemap, Driver::kTms}) {
    for (int width : {10, 11}) {
      DriverRun run;
      run.driver = driver;
      run.in = dir.file("tiny.hdr");
      RgbePlanar img = make_test_image(width, 10);
      // Run-length rows (width 11): a literal of five pixels, then a run.
      for (size_t i = 0; width == 11 && i < img.bytes.size(); ++i) {
        if (i % width > 5) img.bytes[i] = img.bytes[i - 1];
      }
      ASSERT_TRUE(write_file(run.in, encode_rgbe_file(img, width == 11)));
      ASSERT_LT(read_file(run.in).size(), 512u);
      run.out = dir.file("tiny.tif");
      EXPECT_EQ(run_driver(run), 1) << width;
    }
    DriverRun run;
    run.driver = driver;
    run.in = dir.file("huge.hdr");
    const std::string head = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 20000 +X 20000\n";
    std::vector<uint8_t> bytes(head.begin(), head.end());
    bytes.resize(2048, 100);
    ASSERT_TRUE(write_file(run.in, bytes));
    run.out = dir.file("huge.tif");
    EXPECT_EQ(run_driver(run), LFTM_ERR_READ);
    std::vector<uint8_t> qv(64 * 64 * 3);
    EXPECT_EQ(qv_from_file(64, 64, run.in.c_str(), qv.data()), LFTM_ERR_READ);
  }
}

}  // namespace
}  // namespace lftm_test
