// SPDX-License-Identifier: BSD-3-Clause
// Decoded photos: a render gives the pixels the drivers give for the file, with any thread
// count, and damaged files and unusable requests get their own codes.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lftm_host.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

// The 8-bit RGB samples of `photo` rendered with `options`, or empty when the call fails.
std::vector<uint8_t> render(const lftm_photo* photo, const lftm_options& options, int64_t width,
                            int64_t height) {
  std::vector<uint8_t> out(static_cast<size_t>(3 * width * height));
  lftm_image image;
  lftm_image_init(&image, sizeof image, LFTM_SAMPLE_UINT8, 3, width, height, out.data());
  if (lftm_photo_render(photo, &options, &image) != 0) out.clear();
  return out;
}

// The file tone mapped by the host interface: its pixels as lftm_read_image gives them.
std::vector<uint8_t> tonemap_file_pixels(const std::string& path, const lftm_options& options,
                                         int64_t width, int64_t height) {
  std::vector<float> rgb(static_cast<size_t>(3 * width * height));
  std::vector<uint8_t> out(static_cast<size_t>(3 * width * height));
  lftm_image input, output;
  lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 3, width, height, rgb.data());
  lftm_image_init(&output, sizeof output, LFTM_SAMPLE_UINT8, 3, width, height, out.data());
  EXPECT_EQ(lftm_read_image(path.c_str(), &input, nullptr), 0);
  EXPECT_EQ(lftm_tonemap_image(&input, &output, &options), 0);
  return out;
}

// Also for photographs so small that the Texture Booster's pyramid has no depth of its own.
TEST(Photo, RendersThePixelsOfTheDriversWithAnyThreadCount) {
  lftm_test::TempDir dir;
  for (const int64_t width : {72, 16}) {
    const int64_t height = width == 72 ? 50 : 12;
    const std::string path =
        lftm_test::write_hdr(dir.file("photo" + std::to_string(width) + ".hdr"), width, height);
    lftm_photo* photo = nullptr;
    ASSERT_EQ(lftm_photo_open(path.c_str(), 0, &photo), 0);
    for (int32_t method : {LFTM_METHOD_TEXTURE_BOOSTER, LFTM_METHOD_RANGE_SQUEEZER}) {
      lftm_options options;
      lftm_options_init(&options, sizeof options, method);
      options.settings.tmParam[1] += 7;  // not only the defaults
      options.threads = 1;
      const std::vector<uint8_t> expected = tonemap_file_pixels(path, options, width, height);
      for (int32_t threads : {1, 3}) {
        options.threads = threads;
        EXPECT_TRUE(render(photo, options, width, height) == expected)
            << width << " " << method << " " << threads;
      }
    }
    lftm_photo_close(photo);
  }
}

TEST(Photo, DamagedFilesAndUnusableRequestsGetTheirCodes) {
  lftm_test::TempDir dir;
  lftm_photo* photo = nullptr;
  // Long enough for 20 run-length rows of 20 pixels, but a first row of literals leaves
  // room for 14 of them only.
  std::string text = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 20 +X 20\n";
  std::vector<uint8_t> cut(text.begin(), text.end());
  auto row_start = [&cut] { cut.insert(cut.end(), {2, 2, 0, 20}); };
  row_start();
  for (int c = 0; c < 4; ++c) {
    cut.push_back(20);
    cut.insert(cut.end(), 20, static_cast<uint8_t>(c == 3 ? 128 : 100));
  }
  for (int row = 1; row < 14; ++row) {
    row_start();
    for (int c = 0; c < 4; ++c) {
      cut.push_back(128 + 20);
      cut.push_back(static_cast<uint8_t>(c == 3 ? 128 : 100));
    }
  }
  ASSERT_TRUE(lftm_test::write_file(dir.file("cut.hdr"), cut));
  EXPECT_EQ(lftm_photo_open(dir.file("cut.hdr").c_str(), 0, &photo), LFTM_ERR_PHOTO_TRUNCATED);
  EXPECT_EQ(photo, nullptr);
  ASSERT_TRUE(lftm_test::write_text(dir.file("notes.hdr.txt"), "plain words\n"));
  lftm_photo_info info;
  info.struct_size = sizeof info;
  EXPECT_EQ(lftm_photo_probe(dir.file("notes.hdr.txt").c_str(), 0, &info),
            LFTM_ERR_UNKNOWN_FORMAT);
  EXPECT_EQ(lftm_photo_probe(nullptr, 0, &info), LFTM_ERR_ARGUMENT);
  EXPECT_EQ(info.struct_size, sizeof info);  // the record stays usable for the next call

  const std::string path = lftm_test::write_hdr(dir.file("photo.hdr"), 40, 30);
  ASSERT_EQ(lftm_photo_open(path.c_str(), 0, &photo), 0);
  lftm_photo* window = nullptr;
  EXPECT_EQ(lftm_photo_crop(photo, 30, 0, 16, 16, &window), LFTM_ERR_ARGUMENT);  // past the edge
  EXPECT_EQ(lftm_photo_reduce(photo, 80, 30, &window), LFTM_ERR_ARGUMENT);  // larger, not less
  EXPECT_EQ(lftm_photo_open_reduced(path.c_str(), 0, 41, 30, &window), LFTM_ERR_ARGUMENT);
  EXPECT_EQ(lftm_photo_open_reduced(path.c_str(), 0, INT32_MAX, INT32_MAX, &window),
            LFTM_ERR_ARGUMENT);
  EXPECT_EQ(window, nullptr);
  lftm_options options;
  lftm_options_init(&options, sizeof options, LFTM_METHOD_RANGE_SQUEEZER);
  EXPECT_TRUE(render(photo, options, 40, 29).empty());  // another size than the photograph's
  lftm_photo* narrow = nullptr;
  ASSERT_EQ(lftm_photo_crop(photo, 0, 0, 9, 30, &narrow), 0);
  std::vector<uint8_t> samples(9 * 30 * 3);
  lftm_image image;
  lftm_image_init(&image, sizeof image, LFTM_SAMPLE_UINT8, 3, 9, 30, samples.data());
  lftm_options_init(&options, sizeof options, LFTM_METHOD_TEXTURE_BOOSTER);
  EXPECT_EQ(lftm_photo_render(narrow, &options, &image), LFTM_ERR_TOO_SMALL);  // as the drivers
  lftm_photo_close(narrow);
  lftm_photo_close(photo);
}

}  // namespace
