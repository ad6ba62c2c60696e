// The host interface against the file-to-file drivers and the command-line tool: the same
// bits for the same pixels, with the host's layouts, progress, cancel and messages.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lftm.h"
#include "lftm_host.h"
#include "support/driver_run.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

using lftm_test::Method;

lftm_options options_for(Method method, int32_t threads = 2) {
  lftm_options options;
  lftm_options_init(&options, sizeof options,
                    method == Method::kSqueezer ? LFTM_METHOD_RANGE_SQUEEZER
                                                : LFTM_METHOD_TEXTURE_BOOSTER);
  options.threads = threads;
  return options;
}

// The pixels of an HDR file as lftm_read_image gives them.
struct HostPixels {
  int64_t width = 0, height = 0;
  std::vector<float> rgb;
};

HostPixels read_pixels(const std::string& path) {
  HostPixels pixels;
  lftm_file_info info;
  info.struct_size = sizeof info;
  EXPECT_EQ(lftm_read_info(path.c_str(), &info, 0), 0) << path;
  pixels.width = info.width;
  pixels.height = info.height;
  pixels.rgb.resize(static_cast<size_t>(3 * info.width * info.height));
  lftm_image image;
  lftm_image_init(&image, sizeof image, LFTM_SAMPLE_FLOAT32, 3, info.width, info.height,
                  pixels.rgb.data());
  EXPECT_EQ(lftm_read_image(path.c_str(), &image, nullptr), 0) << path;
  return pixels;
}

// Tone maps `pixels` with rows `padding` bytes longer than needed; returns the samples as
// 16-bit values (packed rows).
std::vector<uint16_t> tonemap_pixels(const HostPixels& pixels, const lftm_options& options,
                                     int32_t bits, int64_t padding = 0) {
  const int64_t w = pixels.width, h = pixels.height;
  const int64_t inStride = 3 * 4 * w + padding;
  std::vector<uint8_t> in(static_cast<size_t>(inStride * h));
  for (int64_t y = 0; y < h; ++y) {
    std::memcpy(&in[static_cast<size_t>(y * inStride)], &pixels.rgb[static_cast<size_t>(3 * w * y)],
                static_cast<size_t>(12 * w));
  }
  const int64_t sampleBytes = bits / 8;
  const int64_t outStride = 3 * sampleBytes * w + padding;
  std::vector<uint8_t> out(static_cast<size_t>(outStride * h));
  lftm_image input, output;
  lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 3, w, h, in.data());
  input.row_stride = inStride;
  lftm_image_init(&output, sizeof output, bits == 16 ? LFTM_SAMPLE_UINT16 : LFTM_SAMPLE_UINT8,
                  3, w, h, out.data());
  output.row_stride = outStride;
  EXPECT_EQ(lftm_tonemap_image(&input, &output, &options), 0);
  std::vector<uint16_t> samples;
  for (int64_t y = 0; y < h; ++y) {
    const uint8_t* row = &out[static_cast<size_t>(y * outStride)];
    for (int64_t i = 0; i < 3 * w; ++i) {
      uint16_t v = row[i];
      if (bits == 16) std::memcpy(&v, row + 2 * i, 2);
      samples.push_back(bits == 16 ? v : static_cast<uint16_t>(v * 257));
    }
  }
  return samples;
}

TEST(HostApiTest, TonemapImageOfReadImageEqualsTheDriversFile) {
  lftm_test::TempDir dir;
  struct Case {
    const char* sample;
    int32_t extType;
    Method method;
    int32_t bits;
    bool disk;
  };
  const Case cases[] = {
      {"golden_gate.hdr", LFTM_EXT_HDR, Method::kBooster, 8, false},
      {"golden_gate.hdr", LFTM_EXT_HDR, Method::kBooster, 16, true},
      {"golden_gate.hdr", LFTM_EXT_HDR, Method::kSqueezer, 16, false},
      {"desk.exr", LFTM_EXT_EXR, Method::kBooster, 16, false},
      {"desk.exr", LFTM_EXT_EXR, Method::kBooster, 8, true},
      {"desk.exr", LFTM_EXT_EXR, Method::kSqueezer, 8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sample) + (c.method == Method::kBooster ? " booster " : " squeezer ") +
                 std::to_string(c.bits) + (c.disk ? " disk" : " memory"));
    lftm_test::DriverRun run;
    run.method = c.method;
    run.extType = c.extType;
    run.in = lftm_test::sample_path(c.sample);
    run.out = dir.file("driver.tif");
    run.bits = c.bits;
    run.disk = c.disk;
    ASSERT_EQ(run_driver(run), 1);
    lftm_options options = options_for(c.method);
    options.disk = c.disk ? 1 : 0;
    const HostPixels pixels = read_pixels(run.in);
    // Padded rows in and out: the stride is the host's, the samples are the same.
    EXPECT_EQ(tonemap_pixels(pixels, options, c.bits, c.disk ? 0 : 6),
              lftm_test::tiff_samples(run.out));
  }
}

}  // namespace
