// SPDX-License-Identifier: BSD-3-Clause
// Quick views, reduced previews and zoom windows: which source pixel lands where, which
// samples are written, the printed lines and the refusals.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lftm.h"
#include "support/coordinate_images.h"
#include "support/diag_capture.h"
#include "support/rgbe_images.h"

namespace {

using lftm_test::coordinate_interleaved;
using lftm_test::coordinate_rgbe;
using lftm_test::coordinate_sample;
using lftm_test::rgbe_pixel;

constexpr uint8_t kUntouched = 0xEE;

// Every output pixel of an RGBE planar image equals the source pixel that `source` names.
void expect_rgbe_mapping(const lftm_test::RgbePlanar& src, const std::vector<uint8_t>& dst,
                         int outWidth, int outHeight,
                         const std::function<std::pair<int, int>(int, int)>& source) {
  for (int i = 0; i < outHeight; ++i) {
    for (int j = 0; j < outWidth; ++j) {
      const auto [x, y] = source(j, i);
      ASSERT_EQ(rgbe_pixel(dst, outWidth, j, i), rgbe_pixel(src.bytes, src.width, x, y))
          << "output pixel " << j << "," << i;
    }
  }
}

// An interleaved output pixel holds samples 0, middle and last of source pixel (x, y); the
// other samples are left as they were.
template <typename Sample>
void expect_three_samples(const Sample* out, int pixStep, int x, int y) {
  const int middle = (pixStep - 1) / 2;
  for (int c = 0; c < pixStep; ++c) {
    const bool copied = c == 0 || c == middle || c == pixStep - 1;
    const Sample want = copied ? static_cast<Sample>(coordinate_sample(x, y, c)) : kUntouched;
    ASSERT_EQ(out[c], want) << "sample " << c << " of source pixel " << x << "," << y;
  }
}

TEST(ExtractQv, QuarterSizeTakesEveryFourthRowAndColumn) {
  const auto src = coordinate_rgbe(640, 480);
  std::vector<uint8_t> dst(4 * 160 * 120);
  EXPECT_EQ(extract_qv(0, 640, 480, 0, 0, 0, 160, 120, src.bytes.data(), dst.data()), 120);
  expect_rgbe_mapping(src, dst, 160, 120, [](int j, int i) { return std::pair{4 * j, 4 * i}; });
}

TEST(ExtractQv, SixteenBitSamplesFollowBothStrides) {
  // Four samples a pixel (the third is not copied) and padded rows on both sides.
  const int pixStep = 4, rowStride = 40 * 4 + 6, outRowStride = 10 * 4 + 3;
  const auto src = coordinate_interleaved<uint16_t>(40, 30, pixStep, rowStride, 0);
  std::vector<uint16_t> dst(outRowStride * 9 + pixStep * 10, kUntouched);
  EXPECT_EQ(extract_qv(1, 40, 30, pixStep, rowStride, outRowStride, 10, 10, src.data(),
                       dst.data()),
            10);
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < 10; ++j) {
      expect_three_samples(dst.data() + outRowStride * i + pixStep * j, pixStep, 4 * j, 3 * i);
    }
  }
  // Row padding of the destination is not written.
  EXPECT_EQ(dst[outRowStride - 1], kUntouched);
}

TEST(ExtractBasePreview, ThousandBySevenFiftyHalvesTwice) {
  const auto src = coordinate_rgbe(1000, 750);
  std::vector<uint8_t> dst(4 * 250 * 188);
  lftm_test::DiagCapture diag;
  EXPECT_EQ(extract_base_preview(0, 1000, 750, 0, 0, 250, 188, src.bytes.data(), nullptr,
                                 nullptr, dst.data()),
            188);
  EXPECT_EQ(diag.out(),
            "extract_qv  k: 0     500 x 375  \n"
            "extract_qv  k: 1     250 x 188  \n"
            "extract_qv  In: 1000 x 750    out:  250 x 188   pas: 4\n ");
  expect_rgbe_mapping(src, dst, 250, 188, [](int j, int i) { return std::pair{4 * j, 4 * i}; });
}

TEST(ExtractBasePreview, SizeThatIsNoHalvingIsRefused) {
  const auto src = coordinate_rgbe(1000, 750);
  lftm_test::DiagCapture diag;
  EXPECT_EQ(extract_base_preview(0, 1000, 750, 0, 0, 300, 200, src.bytes.data(), nullptr,
                                 nullptr, nullptr),
            -5);
  EXPECT_EQ(diag.out().find("In:"), std::string::npos);
  // Right width, wrong height.
  EXPECT_EQ(extract_base_preview(0, 1000, 750, 0, 0, 250, 187, src.bytes.data(), nullptr,
                                 nullptr, nullptr),
            -5);
}

TEST(ExtractBasePreview, SameSizeCopiesEveryPixelWithoutRounds) {
  const auto src = coordinate_rgbe(7, 6);
  std::vector<uint8_t> dst(src.bytes.size());
  lftm_test::DiagCapture diag;
  EXPECT_EQ(extract_base_preview(0, 7, 6, 0, 0, 7, 6, src.bytes.data(), nullptr, nullptr,
                                 dst.data()),
            6);
  EXPECT_EQ(dst, src.bytes);
  EXPECT_EQ(diag.out(), "extract_qv  In: 7 x 6    out:  7 x 6   pas: 1\n ");
}

// 37 x 21 -> 19 x 11 -> 10 x 6: the last output pixel is source pixel (36, 20). Output rows
// are packed; the third of four samples is not copied.
template <typename Sample>
void reduce_odd_interleaved(int type) {
  const int pixStep = 4, rowStride = 37 * 4 + 2;
  const auto src = coordinate_interleaved<Sample>(37, 21, pixStep, rowStride, 0);
  std::vector<Sample> dst(10 * 6 * pixStep, kUntouched);
  const uint16_t* src16 = nullptr;
  const uint8_t* src8 = nullptr;
  if constexpr (sizeof(Sample) == 2) {
    src16 = src.data();
  } else {
    src8 = src.data();
  }
  lftm_test::DiagCapture diag;
  EXPECT_EQ(extract_base_preview(type, 37, 21, pixStep, rowStride, 10, 6, nullptr, src16, src8,
                                 dst.data()),
            6);
  for (int o = 0; o < 6; ++o) {
    for (int j = 0; j < 10; ++j) {
      expect_three_samples(dst.data() + (10 * o + j) * pixStep, pixStep, 4 * j, 4 * o);
    }
  }
  EXPECT_NE(diag.out().find("pas: 4\n"), std::string::npos);
}

TEST(ExtractBasePreview, InterleavedOddSizesReachTheLastPixel) {
  reduce_odd_interleaved<uint16_t>(1);
  reduce_odd_interleaved<uint8_t>(2);
}

TEST(ExtractZoom, WindowAtTheBottomRightCorner) {
  const auto src = coordinate_rgbe(40, 30);
  std::vector<uint8_t> dst(4 * 10 * 8);
  EXPECT_EQ(extract_zoom(0, 40, 30, 0, 0, 0, 10, 8, 30, 22, src.bytes.data(), dst.data()), 8);
  expect_rgbe_mapping(src, dst, 10, 8, [](int j, int i) { return std::pair{30 + j, 22 + i}; });
}

TEST(ExtractZoom, InterleavedWindowsFollowBothStrides) {
  const int pixStep = 4, rowStride = 20 * 4 + 5, outRowStride = 6 * 4 + 1;
  const auto src16 = coordinate_interleaved<uint16_t>(20, 15, pixStep, rowStride, 0);
  std::vector<uint16_t> dst16(outRowStride * 5 + 6 * pixStep, kUntouched);
  EXPECT_EQ(extract_zoom(1, 20, 15, pixStep, rowStride, outRowStride, 6, 6, 14, 9,
                         src16.data(), dst16.data()),
            6);
  const auto src8 = coordinate_interleaved<uint8_t>(20, 15, pixStep, rowStride, 0);
  std::vector<uint8_t> dst8(outRowStride * 5 + 6 * pixStep, kUntouched);
  EXPECT_EQ(extract_zoom(2, 20, 15, pixStep, rowStride, outRowStride, 6, 6, 3, 0, src8.data(),
                         dst8.data()),
            6);
  for (int i = 0; i < 6; ++i) {
    for (int j = 0; j < 6; ++j) {
      expect_three_samples(dst16.data() + outRowStride * i + pixStep * j, pixStep, 14 + j, 9 + i);
      expect_three_samples(dst8.data() + outRowStride * i + pixStep * j, pixStep, 3 + j, i);
    }
  }
}

// Sizes of 4 anywhere give -1; a type outside the function's set gives 0 once the sizes pass.
TEST(PreviewBadArgs, SmallSizesAndUnknownTypes) {
  const int sizes[4][4] = {{4, 20, 5, 5}, {20, 4, 5, 5}, {20, 20, 4, 5}, {20, 20, 5, 4}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(testing::Message() << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3]);
    EXPECT_EQ(extract_qv(0, s[0], s[1], 3, 60, 15, s[2], s[3], nullptr, nullptr), -1);
    EXPECT_EQ(extract_base_preview(0, s[0], s[1], 3, 60, s[2], s[3], nullptr, nullptr, nullptr,
                                   nullptr),
              -1);
    EXPECT_EQ(extract_zoom(0, s[0], s[1], 3, 60, 15, s[2], s[3], 0, 0, nullptr, nullptr), -1);
  }
  EXPECT_EQ(extract_qv(2, 20, 20, 3, 60, 15, 5, 5, nullptr, nullptr), 0);
  EXPECT_EQ(extract_zoom(3, 20, 20, 3, 60, 15, 5, 5, 0, 0, nullptr, nullptr), 0);
  lftm_test::DiagCapture diag;
  EXPECT_EQ(extract_base_preview(3, 20, 20, 3, 60, 5, 5, nullptr, nullptr, nullptr, nullptr),
            0);
}

// Windows that leave the image are refused instead of read.
TEST(PreviewBadArgs, ZoomWindowOutsideTheImage) {
  const int windows[][2] = {{31, 22}, {30, 23}, {-1, 0}, {0, -1}, {INT32_MAX - 5, 0},
                            {0, INT32_MAX - 5}};
  for (const auto& w : windows) {
    SCOPED_TRACE(testing::Message() << "x0 " << w[0] << " y0 " << w[1]);
    for (int type = 0; type <= 2; ++type) {
      EXPECT_EQ(extract_zoom(type, 40, 30, 3, 120, 30, 10, 8, w[0], w[1], nullptr, nullptr), -1);
    }
  }
}

// Layouts whose offsets cannot be formed in 32 bits, or that would index before the buffer.
TEST(PreviewBadArgs, StridesAndSizesThatOverflow) {
  const int32_t big = 50000;  // 4 x 50000 x 50000 bytes passes 2^31
  EXPECT_EQ(extract_qv(0, big, big, 0, 0, 0, 5, 5, nullptr, nullptr), -1);
  EXPECT_EQ(extract_qv(0, 20, 20, 0, 0, 0, big, big, nullptr, nullptr), -1);
  EXPECT_EQ(extract_qv(1, 20, 20, 3, INT32_MAX / 10, 15, 5, 5, nullptr, nullptr), -1);
  EXPECT_EQ(extract_qv(1, 20, 20, 0, 60, 15, 5, 5, nullptr, nullptr), -1);
  EXPECT_EQ(extract_qv(1, 20, 20, 3, -60, 15, 5, 5, nullptr, nullptr), -1);

  lftm_test::DiagCapture diag;
  EXPECT_EQ(extract_base_preview(0, big, big, 0, 0, big, big, nullptr, nullptr, nullptr,
                                 nullptr),
            -1);
  EXPECT_EQ(extract_base_preview(2, 20, 20, 3, INT32_MAX / 10, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr),
            -1);
  EXPECT_EQ(extract_base_preview(2, 40000, 40000, 3, 120000, 40000, 40000, nullptr, nullptr,
                                 nullptr, nullptr),
            -1);
  EXPECT_EQ(diag.out(), "");

  EXPECT_EQ(extract_zoom(0, big, big, 0, 0, 0, 5, 5, 0, 0, nullptr, nullptr), -1);
  EXPECT_EQ(extract_zoom(1, 20, 20, 3, INT32_MAX / 10, 15, 5, 5, 0, 0, nullptr, nullptr), -1);
  EXPECT_EQ(extract_zoom(2, 20, 20, 0, 60, 15, 5, 5, 0, 0, nullptr, nullptr), -1);
}

}  // namespace
