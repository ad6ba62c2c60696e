// SPDX-License-Identifier: BSD-3-Clause
// The drivers on TIFF and OpenEXR input: samples per pixel, the Range Squeezer on TIFF, float
// TIFF, and values light cannot have.
#include <tiffio.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"

namespace lftm_test {
namespace {

// Writes interleaved 16-bit samples as a TIFF; an alpha sample when spp is 2 or 4.
std::string write_tiff16(const std::string& path, int w, int h, int spp,
                         const std::vector<uint16_t>& samples) {
  TiffLayout layout;
  layout.width = w;
  layout.height = h;
  layout.spp = spp;
  write_tiff(path, layout, [&](int x, int y, int s) {
    return samples[(static_cast<size_t>(y) * w + x) * spp + s];
  });
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
  for (Method driver : {Method::kBooster, Method::kSqueezer}) {
    for (int spp : {1, 2, 3, 4}) {
      DriverRun run;
      run.method = driver;
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
  run.method = Method::kSqueezer;
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
  for (Method driver : {Method::kBooster, Method::kSqueezer}) {
    DriverRun run;
    run.method = driver;
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
  for (Method driver : {Method::kBooster, Method::kSqueezer}) {
    for (int width : {10, 11}) {
      DriverRun run;
      run.method = driver;
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
    run.method = driver;
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

// Floats of n channels a pixel, as a picture spanning several orders of magnitude (a fourth
// channel is alpha).
struct FloatPicture {
  int w = 64, h = 64, n = 3;
  std::vector<float> px;
};

FloatPicture float_picture(int n) {
  FloatPicture p;
  p.n = n;
  p.px.resize(static_cast<size_t>(p.w) * p.h * n);
  for (int y = 0; y < p.h; ++y) {
    for (int x = 0; x < p.w; ++x) {
      for (int c = 0; c < n; ++c) {
        p.px[(static_cast<size_t>(y) * p.w + x) * n + c] =
            c == 3 ? 0.5f : std::exp(0.09f * x - 0.07f * y + 0.6f * c - 1.0f);
      }
    }
  }
  return p;
}

// Sets every channel but alpha of the 8 x 8 pixels at (24, 24) to v.
void fill_patch(FloatPicture* p, float v) {
  for (int y = 24; y < 32; ++y) {
    for (int x = 24; x < 32; ++x) {
      for (int c = 0; c < std::min(p->n, 3); ++c) p->px[(static_cast<size_t>(y) * p->w + x) * p->n + c] = v;
    }
  }
}

// The sample of channel c of pixel (x, y).
float sample_of(const FloatPicture& p, int x, int y, int c) {
  return p.px[(static_cast<size_t>(y) * p.w + x) * p.n + c];
}

// OpenEXR of float samples: Y for one channel, else R, G, B (and A).
std::string write_float_exr(const std::string& path, const FloatPicture& p) {
  ExrLayout layout;
  layout.width = p.w;
  layout.height = p.h;
  layout.channels = {"R", "G", "B", "A"};
  layout.channels.resize(p.n);
  if (p.n == 1) layout.channels = {"Y"};
  write_exr(path, layout, [&](int x, int y, int c) { return sample_of(p, x, y, c); });
  return path;
}

// TIFF of 32-bit floats: strips of 7 rows, or 16 x 16 tiles; contiguous or separate planes.
std::string write_float_tiff(const std::string& path, const FloatPicture& p, bool tiled,
                             bool separate) {
  TiffLayout layout;
  layout.width = p.w;
  layout.height = p.h;
  layout.spp = p.n;
  layout.bits = 32;
  layout.format = SAMPLEFORMAT_IEEEFP;
  layout.planar = separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG;
  layout.compression = COMPRESSION_ADOBE_DEFLATE;
  layout.predictor = PREDICTOR_FLOATINGPOINT;
  layout.tile = tiled ? 16 : 0;
  layout.rowsPerStrip = 7;
  write_tiff(path, layout, [&](int x, int y, int c) { return sample_of(p, x, y, c); });
  return path;
}

// Tone maps `in` of kind extType; the output samples.
std::vector<uint16_t> tone_map(const DriverRun& base, int32_t extType, const std::string& in) {
  DriverRun run = base;
  run.extType = extType;
  run.in = in;
  TiffImage out;
  if (run_driver(run) != 1 || !read_tiff(run.out, &out)) return {};
  return out.samples;
}

// A float TIFF is read like the same floats in an OpenEXR file: the same RGBE bytes, so the
// same output bits, with both methods, in memory and disk mode, whatever the TIFF kind given.
TEST(DriverFormatsTest, FloatTiffToneMapsLikeTheSameFloatsInOpenExr) {
  TempDir dir;
  DiagCapture capture;
  struct Case {
    int channels;
    bool tiled, separate;
  } cases[] = {{3, false, false}, {4, true, true}, {1, false, false}};
  for (const Case& c : cases) {
    const FloatPicture p = float_picture(c.channels);
    const std::string exr = write_float_exr(dir.file("f.exr"), p);
    const std::string tif = write_float_tiff(dir.file("f.tif"), p, c.tiled, c.separate);
    for (Method driver : {Method::kBooster, Method::kSqueezer}) {
      for (bool disk : {false, true}) {
        if (disk && driver == Method::kSqueezer) continue;
        DriverRun base;
        base.method = driver;
        base.disk = disk;
        base.out = dir.file("out.tif");
        const std::vector<uint16_t> fromExr = tone_map(base, LFTM_EXT_EXR, exr);
        ASSERT_EQ(fromExr.size(), static_cast<size_t>(64 * 64 * 3)) << c.channels;
        for (int32_t kind : {LFTM_EXT_TIF_GAMMA, LFTM_EXT_TIF_LINEAR}) {
          EXPECT_TRUE(tone_map(base, kind, tif) == fromExr)
              << c.channels << " channels, disk " << disk << ", kind " << kind;
        }
      }
    }
  }
}

// A patch of +infinity is a patch of the image's largest value: it moves no pixel outside
// itself compared with the same file holding that value there, in OpenEXR and float TIFF.
TEST(DriverFormatsTest, InfinityIsTheImagesLargestValueAndMovesNothingAround) {
  TempDir dir;
  DiagCapture capture;
  FloatPicture blown = float_picture(3);
  const float largest = *std::max_element(blown.px.begin(), blown.px.end());
  FloatPicture bright = blown;
  fill_patch(&blown, std::numeric_limits<float>::infinity());
  fill_patch(&bright, largest);
  for (Method driver : {Method::kBooster, Method::kSqueezer}) {
    DriverRun base;
    base.method = driver;
    base.out = dir.file("out.tif");
    const std::vector<uint16_t> expected =
        tone_map(base, LFTM_EXT_EXR, write_float_exr(dir.file("bright.exr"), bright));
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(tone_map(base, LFTM_EXT_EXR, write_float_exr(dir.file("inf.exr"), blown)) ==
                expected);
    EXPECT_TRUE(tone_map(base, LFTM_EXT_TIF_LINEAR,
                         write_float_tiff(dir.file("inf.tif"), blown, true, false)) == expected);
  }
}

}  // namespace
}  // namespace lftm_test
