// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "imageio/rgbe_decode.h"
#include "support/rgbe_images.h"

namespace lftm {
namespace {

using lftm_test::encode_rgbe_file;
using lftm_test::make_test_image;
using lftm_test::RgbePlanar;

// The pixel data of an encoded file (everything after the resolution line).
std::vector<uint8_t> pixel_data(const RgbePlanar& img, bool run_length) {
  std::vector<uint8_t> file = encode_rgbe_file(img, run_length);
  const std::string res = "+X " + std::to_string(img.width) + "\n";
  std::string text(file.begin(), file.end());
  return {file.begin() + static_cast<long>(text.find(res) + res.size()), file.end()};
}

struct Result {
  int code;
  std::vector<uint8_t> pixels;
};

Result decode(const std::vector<uint8_t>& data, int width, int height, int threads) {
  Result r{0, std::vector<uint8_t>(static_cast<size_t>(4) * width * height, 0xAB)};
  r.code = threads == 0 ? decode_rgbe_pixels(data.data(), data.size(), width, height,
                                             r.pixels.data())
                        : decode_rgbe_pixels_banded(data.data(), data.size(), width, height,
                                                    r.pixels.data(), threads);
  return r;
}

// Every thread count gives the one-thread code, and on success the same bytes, whatever the
// damage: the banded decode must not trust a band's first bytes to tell its layout.
void expect_same_as_sequential(const std::vector<uint8_t>& data, int width, int height,
                               const std::string& what) {
  const Result one = decode(data, width, height, 0);
  for (int threads : {2, 3, 7, 32}) {
    const Result many = decode(data, width, height, threads);
    ASSERT_EQ(many.code, one.code) << what << ", threads " << threads;
    if (one.code >= 0) {
      ASSERT_TRUE(many.pixels == one.pixels) << what << ", threads " << threads;
    }
  }
}

TEST(RgbeBandedDecodeTest, EveryThreadCountMatchesTheSequentialDecode) {
  const int width = 45;
  const int height = 203;  // bands of 32 rows and a longer last band
  const RgbePlanar img = make_test_image(width, height, 11);
  const std::vector<uint8_t> rle = pixel_data(img, true);
  const std::vector<uint8_t> flat = pixel_data(img, false);
  ASSERT_EQ(decode(rle, width, height, 4).pixels, img.bytes);
  ASSERT_EQ(decode(flat, width, height, 4).pixels, img.bytes);

  // Offsets of the row headers, so that damage lands on band borders and row starts.
  std::vector<size_t> starts(height + 1, 0);
  for (int y = 0; y < height; ++y) {
    size_t length = 0;
    ASSERT_EQ(decode_run_length_rows(rle.data() + starts[y], rle.size() - starts[y], width, 1,
                                     nullptr, &length),
              1);
    starts[y + 1] = starts[y] + length;
  }

  // A later row header whose first bytes are not 2, 2 is not checked: it must still decode
  // as run-length even when a band starts there (rows where bands of 2, 3 and 6 start).
  std::vector<uint8_t> data = rle;
  for (int y : {33, 67, 101, 134, 165}) data[starts[y]] = data[starts[y] + 1] = 0;
  expect_same_as_sequential(data, width, height, "unchecked row header bytes");

  // A flat row in the middle of run-length rows, at a band border and inside a band.
  for (int y : {67, 100}) {
    data = rle;
    const uint8_t* row = img.bytes.data() + static_cast<size_t>(4) * width * y;
    std::vector<uint8_t> flat_row;
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 4; ++c) flat_row.push_back(row[c * width + x]);
    }
    data.erase(data.begin() + static_cast<long>(starts[y]),
               data.begin() + static_cast<long>(starts[y + 1]));
    data.insert(data.begin() + static_cast<long>(starts[y]), flat_row.begin(), flat_row.end());
    expect_same_as_sequential(data, width, height, "flat row " + std::to_string(y));
  }

  // Cut short, and random damage anywhere (runs past their component, empty literals, wrong
  // widths), in run-length and flat data.
  for (size_t cut : {starts[96], starts[96] + 3, rle.size() - 1}) {
    data.assign(rle.begin(), rle.begin() + static_cast<long>(cut));
    expect_same_as_sequential(data, width, height, "cut at " + std::to_string(cut));
  }
  data.assign(flat.begin(), flat.end() - 1);
  expect_same_as_sequential(data, width, height, "flat cut");
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    data = round % 4 == 0 ? flat : rle;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) data[rng() % data.size()] = static_cast<uint8_t>(rng());
    expect_same_as_sequential(data, width, height, "round " + std::to_string(round));
  }
}

}  // namespace
}  // namespace lftm
