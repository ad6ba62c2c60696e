// SPDX-License-Identifier: BSD-3-Clause
#include "imageio/rgbe_reader.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "imageio/rgbe_decode.h"
#include "imageio/rgbe_text.h"
#include "support/files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"

namespace lftm {
namespace {

using lftm_test::encode_rgbe_file;
using lftm_test::make_test_image;
using lftm_test::RgbePlanar;
using lftm_test::TempDir;
using lftm_test::write_file;

std::vector<uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

struct Decoded {
  int header = 0;
  int mem = 0;
  int stream = 0;
  std::vector<uint8_t> mem_pixels;
  std::vector<uint8_t> stream_pixels;
  HdrFileInfo info{};
};

// Parses the header and decodes the pixels with both readers. With `declared`, the readers
// also run when the header parser refuses the file, on that size and the file's length (as
// when a file changes between the two calls).
Decoded decode_both(const std::string& path, const int* declared = nullptr) {
  Decoded d;
  float prim[8];
  d.header = rgbe_read_header(path.c_str(), prim, &d.info);
  if (d.header < 0 && declared == nullptr) return d;
  if (d.header < 0) {
    d.info.infos[LFTM_INFO_WIDTH] = declared[0];
    d.info.infos[LFTM_INFO_HEIGHT] = declared[1];
    d.info.infos[LFTM_INFO_FILE_LENGTH] = static_cast<int>(lftm_test::read_file(path).size());
  }
  size_t n =
      static_cast<size_t>(4) * d.info.infos[LFTM_INFO_WIDTH] * d.info.infos[LFTM_INFO_HEIGHT];
  d.mem_pixels.assign(n, 0xEE);
  d.stream_pixels.assign(n, 0xDD);
  d.mem = rgbe_read_mem(path.c_str(), &d.info, d.mem_pixels.data());
  d.stream = rgbe_read_stream(path.c_str(), &d.info, d.stream_pixels.data());
  return d;
}

TEST(RgbeHeaderTest, ResolutionLineGivesWidthHeightAndLength) {
  TempDir dir;
  RgbePlanar img = make_test_image(640, 480);
  std::vector<uint8_t> file = encode_rgbe_file(img, true);
  ASSERT_TRUE(write_file(dir.file("a.hdr"), file));
  HdrFileInfo info{};
  float prim[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  EXPECT_EQ(rgbe_read_header(dir.file("a.hdr").c_str(), prim, &info), 3);
  EXPECT_EQ(info.infos[LFTM_INFO_WIDTH], 640);
  EXPECT_EQ(info.infos[LFTM_INFO_HEIGHT], 480);
  EXPECT_EQ(info.infos[LFTM_INFO_FILE_LENGTH], static_cast<int>(file.size()));
  EXPECT_EQ(info.infos[LFTM_INFO_PRIMARIES], 0);
  for (float p : prim) EXPECT_EQ(p, 0.0f);

  // A panorama's file passes the 32-bit length slot: the readers measure it (sparse file).
  const std::string head = "#?RADIANCE\n\n-Y 24540 +X 42000\n";
  ASSERT_TRUE(write_file(dir.file("big.hdr"), std::vector<uint8_t>(head.begin(), head.end())));
  const long long length = static_cast<long long>(head.size()) + 4LL * 42000 * 24540;
  ASSERT_EQ(truncate(dir.file("big.hdr").c_str(), length), 0);
  HdrFileInfo big{};
  EXPECT_EQ(rgbe_read_header(dir.file("big.hdr").c_str(), prim, &big), 2);
  EXPECT_EQ(big.infos[LFTM_INFO_WIDTH], 42000);
  EXPECT_EQ(big.infos[LFTM_INFO_FILE_LENGTH], kRgbeLongFile);
  std::FILE* f = std::fopen(dir.file("big.hdr").c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(rgbe_file_length(f, big.infos[LFTM_INFO_FILE_LENGTH]), length);
  EXPECT_EQ(ftello(f), 0);
  std::fclose(f);
}

TEST(RgbeHeaderTest, PrimariesLineReplacesDefaults) {
  TempDir dir;
  RgbePlanar img = make_test_image(40, 30);
  ASSERT_TRUE(write_file(dir.file("p.hdr"),
                         encode_rgbe_file(img, false,
                                          "PRIMARIES= 0.64 0.33 0.30 0.60 0.15 0.06 0.3127 "
                                          "0.3290\n")));
  HdrFileInfo info{};
  float prim[8];
  ASSERT_GE(rgbe_read_header(dir.file("p.hdr").c_str(), prim, &info), 0);
  EXPECT_EQ(info.infos[LFTM_INFO_PRIMARIES], 32);
  EXPECT_FLOAT_EQ(prim[0], 0.64f);
  EXPECT_FLOAT_EQ(prim[7], 0.3290f);

  // Fewer than eight numbers: not a PRIMARIES header, so zeros come back.
  ASSERT_TRUE(write_file(dir.file("q.hdr"),
                         encode_rgbe_file(img, false, "PRIMARIES= 0.64 0.33\n")));
  HdrFileInfo info2{};
  ASSERT_GE(rgbe_read_header(dir.file("q.hdr").c_str(), prim, &info2), 0);
  EXPECT_EQ(info2.infos[LFTM_INFO_PRIMARIES], 0);
  EXPECT_EQ(prim[0], 0.0f);
}

TEST(RgbeHeaderTest, TheFirstHundredLinesAreExaminedWhateverTheLength) {
  TempDir dir;
  float prim[8];
  // Over 12800 bytes: found at index 99, not at index 100.
  for (int at : {99, 100}) {
    std::string big;
    for (int i = 0; i < at; ++i) big += "#\n";
    big += "-Y 100 +X 100\n";
    std::vector<uint8_t> bytes = bytes_of(big);
    bytes.resize(bytes.size() + 40000, 1);
    ASSERT_TRUE(write_file(dir.file("b.hdr"), bytes));
    HdrFileInfo b{};
    EXPECT_EQ(rgbe_read_header(dir.file("b.hdr").c_str(), prim, &b),
              at == 99 ? 99 : LFTM_ERR_RGBE_NO_SIZE);
  }
}

// Files of a few hundred bytes, whose header has more lines than the file has 128-byte
// blocks, read like any other.
TEST(RgbeReaderTest, TinyFlatAndRunLengthFilesAreRead) {
  TempDir dir;
  for (int width : {10, 11}) {
    for (bool rle : {false, true}) {
      RgbePlanar img = make_test_image(width, 10, static_cast<uint32_t>(width));
      // Run-length rows: a literal of five pixels, then a run.
      for (size_t i = 0; rle && i < img.bytes.size(); ++i) {
        if (i % width > 5) img.bytes[i] = img.bytes[i - 1];
      }
      std::vector<uint8_t> file = encode_rgbe_file(img, rle);
      ASSERT_LT(file.size(), 512u);
      const std::string path = dir.file("tiny.hdr");
      ASSERT_TRUE(write_file(path, file));
      Decoded d = decode_both(path);
      EXPECT_EQ(d.header, 3) << width << " rle " << rle;
      EXPECT_EQ(d.mem, 10);
      EXPECT_EQ(d.stream, 10);
      EXPECT_EQ(d.mem_pixels, img.bytes);
      EXPECT_EQ(d.stream_pixels, img.bytes);
    }
  }
}

// A header that declares more pixels than the file can hold in any encoding is refused by
// the header parser, before anyone allocates the image; a file just long enough passes.
TEST(RgbeHeaderTest, ASizeTheFileCannotHoldEndsEarly) {
  TempDir dir;
  float prim[8];
  const std::string head = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 20000 +X 20000\n";
  std::vector<uint8_t> huge = bytes_of(head);
  huge.resize(2048, 100);
  ASSERT_TRUE(write_file(dir.file("huge.hdr"), huge));
  HdrFileInfo info{};
  EXPECT_EQ(rgbe_read_header(dir.file("huge.hdr").c_str(), prim, &info), LFTM_ERR_RGBE_SHORT);

  // Flat: 4 bytes a pixel. Run-length: per row a 4-byte header and, per component, one run
  // per 127 pixels (2 bytes): 300 pixels need 3 runs, 4 + 4 x 3 x 2 = 28 bytes a row.
  struct Case {
    int width, height;
    std::vector<uint8_t> data;
  } cases[] = {
      {7, 3, std::vector<uint8_t>(4 * 7 * 3, 100)},
      {300, 2, {}},
  };
  for (int row = 0; row < 2; ++row) {
    std::vector<uint8_t> r = {2, 2, 1, 44};
    for (int c = 0; c < 4; ++c) r.insert(r.end(), {255, 9, 255, 9, 128 + 46, 9});
    cases[1].data.insert(cases[1].data.end(), r.begin(), r.end());
  }
  for (const Case& c : cases) {
    std::vector<uint8_t> file = bytes_of("#?RADIANCE\n\n-Y " + std::to_string(c.height) +
                                         " +X " + std::to_string(c.width) + "\n");
    file.insert(file.end(), c.data.begin(), c.data.end());
    ASSERT_TRUE(write_file(dir.file("fit.hdr"), file));
    Decoded d = decode_both(dir.file("fit.hdr"));
    EXPECT_EQ(d.header, 2) << c.width;
    EXPECT_EQ(d.mem, c.height);
    file.pop_back();
    ASSERT_TRUE(write_file(dir.file("fit.hdr"), file));
    HdrFileInfo cut{};
    EXPECT_EQ(rgbe_read_header(dir.file("fit.hdr").c_str(), prim, &cut), LFTM_ERR_RGBE_SHORT)
        << c.width;
  }
}

TEST(RgbeHeaderTest, BadHeadersGiveClearCodes) {
  TempDir dir;
  HdrFileInfo info{};
  float prim[8];
  EXPECT_EQ(rgbe_read_header(dir.file("missing.hdr").c_str(), prim, &info),
            LFTM_ERR_RGBE_OPEN);

  struct Case {
    std::string text;
    int code;
  } cases[] = {
      {"#?RADIANCE\n-Y 0 +X 100\n", LFTM_ERR_RGBE_NO_SIZE},
      {"#?RADIANCE\n-Y -5 +X 100\n", LFTM_ERR_RGBE_NO_SIZE},
      {"#?RADIANCE\n-Y 100000000 +X 100000000\n", LFTM_ERR_RGBE_NO_SIZE},
      {"#?RADIANCE\n-Y 99999999999999999999 +X 4\n", LFTM_ERR_RGBE_NO_SIZE},
      {"#?RADIANCE\n+X 100 -Y 100\n", LFTM_ERR_RGBE_NO_SIZE},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = bytes_of(c.text);
    bytes.resize(2000, '#');  // long enough for the lines to be examined
    bytes.insert(bytes.begin() + static_cast<long>(c.text.size()), '\n');
    for (size_t i = c.text.size() + 1; i < bytes.size(); i += 64) bytes[i] = '\n';
    ASSERT_TRUE(write_file(dir.file("bad.hdr"), bytes));
    HdrFileInfo bad{};
    EXPECT_EQ(rgbe_read_header(dir.file("bad.hdr").c_str(), prim, &bad), c.code) << c.text;
  }

  // A file that ends inside its header (long lines count as several lines) has no size.
  std::string cut = "#?RADIANCE\n" + std::string(300, 'x') + "\n-Y 10";
  ASSERT_TRUE(write_file(dir.file("cut.hdr"), bytes_of(cut)));
  EXPECT_EQ(rgbe_read_header(dir.file("cut.hdr").c_str(), prim, &info), LFTM_ERR_RGBE_NO_SIZE);
}

TEST(RgbeReaderTest, BothReadersDecodeFlatAndRunLengthFilesIdentically) {
  TempDir dir;
  for (int width : {10, 17, 64, 300}) {
    RgbePlanar img = make_test_image(width, 13, static_cast<uint32_t>(width));
    for (bool rle : {false, true}) {
      std::string path = dir.file("img.hdr");
      ASSERT_TRUE(write_file(path, encode_rgbe_file(img, rle)));
      Decoded d = decode_both(path);
      ASSERT_GE(d.header, 0);
      EXPECT_EQ(d.mem, 13);
      EXPECT_EQ(d.stream, 13);
      EXPECT_EQ(d.mem_pixels, img.bytes) << "width " << width << " rle " << rle;
      EXPECT_EQ(d.stream_pixels, img.bytes);
    }
  }
}

TEST(RgbeReaderTest, BundledSampleReadsTheSameWithBothReaders) {
  Decoded d = decode_both(lftm_test::sample_path("golden_gate.hdr"));
  ASSERT_GE(d.header, 0);
  EXPECT_EQ(d.info.infos[LFTM_INFO_WIDTH], 1262);
  EXPECT_EQ(d.info.infos[LFTM_INFO_HEIGHT], 860);
  EXPECT_EQ(d.mem, 860);
  EXPECT_EQ(d.stream, 860);
  EXPECT_TRUE(d.mem_pixels == d.stream_pixels);
}

TEST(RgbeReaderTest, FlatFileStartingWithLineFeedByteIsNotShifted) {
  TempDir dir;
  RgbePlanar img = make_test_image(12, 11);
  img.bytes[0] = 0x0A;  // red mantissa of the first pixel
  std::string path = dir.file("lf.hdr");
  ASSERT_TRUE(write_file(path, encode_rgbe_file(img, false)));
  Decoded d = decode_both(path);
  EXPECT_EQ(d.mem, 11);
  EXPECT_EQ(d.mem_pixels, img.bytes);
  EXPECT_EQ(d.stream_pixels, img.bytes);

  // An extra blank line before flat data that is one byte longer than the pixels is skipped.
  std::vector<uint8_t> file = encode_rgbe_file(make_test_image(12, 11), false);
  std::string head = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 11 +X 12\n";
  file.insert(file.begin() + static_cast<long>(head.size()), '\n');
  ASSERT_TRUE(write_file(path, file));
  d = decode_both(path);
  EXPECT_EQ(d.mem, 11);
  EXPECT_EQ(d.mem_pixels, make_test_image(12, 11).bytes);
}

TEST(RgbeReaderTest, RowHeaderWithOtherWidthFailsInBothReaders) {
  TempDir dir;
  RgbePlanar img = make_test_image(20, 12);
  std::vector<uint8_t> file = encode_rgbe_file(img, true);
  std::string head = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 12 +X 20\n";
  file[head.size() + 3] = 21;
  ASSERT_TRUE(write_file(dir.file("w.hdr"), file));
  Decoded d = decode_both(dir.file("w.hdr"));
  EXPECT_EQ(d.mem, LFTM_ERR_RGBE_ROW_WIDTH);
  EXPECT_EQ(d.stream, LFTM_ERR_RGBE_ROW_WIDTH);
  // A later row header whose width byte has its high bit set is no row of this width either.
  file[head.size() + 3] = 20;
  size_t secondRow = 0;
  ASSERT_EQ(decode_run_length_rows(file.data() + head.size(), file.size() - head.size(), 20, 1,
                                   nullptr, &secondRow),
            1);
  file[head.size() + secondRow + 2] = 0x80;
  ASSERT_TRUE(write_file(dir.file("w.hdr"), file));
  d = decode_both(dir.file("w.hdr"));
  EXPECT_EQ(d.mem, LFTM_ERR_RGBE_ROW_WIDTH);
  EXPECT_EQ(d.stream, LFTM_ERR_RGBE_ROW_WIDTH);
}

TEST(RgbeReaderTest, TruncatedAndCorruptDataAreRefusedWithoutOverrun) {
  TempDir dir;
  RgbePlanar img = make_test_image(30, 20);
  const std::string head = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 20 +X 30\n";
  std::string path = dir.file("t.hdr");

  std::vector<uint8_t> flat = encode_rgbe_file(img, false);
  flat.resize(flat.size() - 7);
  ASSERT_TRUE(write_file(path, flat));
  const int size[2] = {30, 20};
  Decoded d = decode_both(path, size);
  EXPECT_EQ(d.header, LFTM_ERR_RGBE_SHORT);
  EXPECT_EQ(d.mem, LFTM_ERR_RGBE_SHORT);
  EXPECT_EQ(d.stream, LFTM_ERR_RGBE_SHORT);

  std::vector<uint8_t> rle = encode_rgbe_file(img, true);
  rle.resize(rle.size() - 5);
  ASSERT_TRUE(write_file(path, rle));
  d = decode_both(path);
  EXPECT_EQ(d.mem, LFTM_ERR_RGBE_SHORT);
  EXPECT_EQ(d.stream, LFTM_ERR_RGBE_SHORT);

  // A run longer than the component, then an empty literal.
  std::vector<uint8_t> run = encode_rgbe_file(img, true);
  run[head.size() + 4] = 128 + 31;
  ASSERT_TRUE(write_file(path, run));
  d = decode_both(path);
  EXPECT_EQ(d.mem, LFTM_ERR_RGBE_RUN);
  EXPECT_EQ(d.stream, LFTM_ERR_RGBE_RUN);

  std::vector<uint8_t> lit = encode_rgbe_file(img, true);
  lit[head.size() + 4] = 0;
  ASSERT_TRUE(write_file(path, lit));
  d = decode_both(path);
  EXPECT_EQ(d.mem, LFTM_ERR_RGBE_LITERAL);
  EXPECT_EQ(d.stream, LFTM_ERR_RGBE_LITERAL);
}

TEST(RgbeReaderTest, MutatedFilesNeverReadOutOfBounds) {
  TempDir dir;
  RgbePlanar img = make_test_image(33, 17);
  std::mt19937 rng(7);
  std::string path = dir.file("m.hdr");
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> file = encode_rgbe_file(img, round % 2 == 0);
    int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits; ++e) {
      size_t at = rng() % file.size();
      file[at] = static_cast<uint8_t>(rng());
    }
    if (round % 5 == 0) file.resize(rng() % file.size());
    ASSERT_TRUE(write_file(path, file));
    Decoded d = decode_both(path);
    if (d.header >= 0) {
      EXPECT_TRUE(d.mem == 17 || d.mem < 0);
      EXPECT_TRUE(d.stream == 17 || d.stream < 0);
    }
  }
}

TEST(ExpTableTest, PowersOfTwoAroundTheUnitExponent) {
  float table[256];
  EXPECT_EQ(build_exp_table(table), 256);
  EXPECT_EQ(table[136], 1.0f);
  EXPECT_EQ(table[137], 2.0f);
  EXPECT_EQ(200.0f * table[136], 200.0f);
  EXPECT_EQ(table[0], static_cast<float>(std::ldexp(1.0, -136)));
  EXPECT_GT(table[0], 0.0f);
  for (int e = 1; e < 256; ++e) EXPECT_EQ(table[e], 2.0f * table[e - 1]) << e;
}

}  // namespace
}  // namespace lftm
