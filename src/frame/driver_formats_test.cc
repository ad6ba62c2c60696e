// The drivers on TIFF and OpenEXR input: samples per pixel, and the Range Squeezer on TIFF.
#include <tiffio.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "frame/driver_test_support.h"
#include "test_support.h"

namespace lftm_test {
namespace {

// Writes interleaved 16-bit samples as a TIFF; an alpha sample when spp is 2 or 4.
std::string write_tiff16(const std::string& path, int w, int h, int spp,
                         const std::vector<uint16_t>& samples) {
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
    std::copy_n(samples.begin() + static_cast<ptrdiff_t>(row.size()) * y, row.size(),
                row.begin());
    TIFFWriteScanline(tif, row.data(), y, 0);
  }
  TIFFClose(tif);
  return path;
}

// A 16-bit TIFF with `spp` samples of a smooth gradient (alpha, if any, constant).
std::string write_tiff16(const std::string& path, int w, int h, int spp) {
  std::vector<uint16_t> samples(static_cast<size_t>(w) * h * spp);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int s = 0; s < spp; ++s) {
        bool alpha = (spp == 2 && s == 1) || (spp == 4 && s == 3);
        samples[(static_cast<size_t>(y) * w + x) * spp + s] =
            alpha ? 65535 : static_cast<uint16_t>(200 + 300 * x + 150 * y + 90 * s);
      }
    }
  }
  return write_tiff16(path, w, h, spp, samples);
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

// Percentage of the pixels of an RGB image whose three samples are all 0 or all 65535.
double crushed_percent(const TiffImage& image) {
  size_t crushed = 0;
  for (size_t i = 0; i + 2 < image.samples.size(); i += 3) {
    const uint16_t* p = &image.samples[i];
    crushed += (p[0] == 0 && p[1] == 0 && p[2] == 0) ||
               (p[0] == 65535 && p[1] == 65535 && p[2] == 65535);
  }
  return 300.0 * static_cast<double>(crushed) / static_cast<double>(image.samples.size());
}

TEST(DriverFormatsTest, TheSqueezerSeesTheSamePhotographAlikeFromTiffAndRadiance) {
  TempDir dir;
  DiagCapture capture;
  DriverRun run;
  run.driver = Driver::kTms;
  // The linear 16-bit TIFF holds the photograph of the .hdr file, its maximum at 65535.
  const std::string tif = sample_path("golden_gate_linear16.tif");
  TiffImage fromHdr, fromTif, input;
  double crushed[2] = {0, 0};
  for (int depth = 0; depth < 2; ++depth) {
    run.bits = depth == 0 ? 8 : 16;
    run.extType = LFTM_EXT_HDR;
    run.in = sample_path("golden_gate.hdr");
    run.out = dir.file("from_hdr.tif");
    ASSERT_EQ(run_driver(run), 1);
    run.extType = LFTM_EXT_TIF_LINEAR;
    run.in = tif;
    run.out = dir.file("from_tif.tif");
    ASSERT_EQ(run_driver(run), 1);
    ASSERT_TRUE(read_tiff(dir.file("from_hdr.tif"), &fromHdr));
    ASSERT_TRUE(read_tiff(dir.file("from_tif.tif"), &fromTif));
    ASSERT_EQ(fromHdr.samples.size(), fromTif.samples.size());
    // The TIFF lost the darkest tones to 16-bit quantisation, so the two are not identical;
    // only pixels whose samples are all 0 may come out black (3.5% here), not the many
    // dark ones on the lowest steps (12%).
    EXPECT_LT(mean_difference(fromHdr, fromTif), 16.0) << run.bits;
    crushed[depth] = crushed_percent(fromTif);
    EXPECT_LT(crushed[depth], 5.0) << run.bits;
  }
  EXPECT_LE(crushed[1], crushed[0]);

  // A copy four times darker whose maximum is a 3 x 3 highlight: the mid-tones keep their
  // tone (levelled by the maximum instead they came out far darker: difference 24).
  ASSERT_TRUE(read_tiff(tif, &input));
  for (uint16_t& v : input.samples) v = static_cast<uint16_t>((v + 2) / 4);
  for (int y = 0; y < 3; ++y) {
    std::fill_n(input.samples.begin() + static_cast<ptrdiff_t>(y) * input.width * 3, 9, 65535);
  }
  run.in = write_tiff16(dir.file("highlight.tif"), input.width, input.height, 3, input.samples);
  run.out = dir.file("from_highlight.tif");
  ASSERT_EQ(run_driver(run), 1);
  TiffImage fromHighlight;
  ASSERT_TRUE(read_tiff(run.out, &fromHighlight));
  EXPECT_LT(mean_difference(fromTif, fromHighlight), 14.0);
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

}  // namespace
}  // namespace lftm_test
