// SPDX-License-Identifier: BSD-3-Clause
// Feeds thousands of random and mutated sidecars to the reader. Besides the sanitizers
// watching every byte it touches, each run must end with a defined result and may change
// only the slots of the requested method.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "lftm.h"
#include "support/diag_capture.h"
#include "support/files.h"
#include "support/sidecar_text.h"
#include "support/temp_dir.h"
#include "settings/xmp_format.h"

namespace {

constexpr float kSentinel = 1234.5f;

// Slots a request may change (slot 8 always: the neutral gamma of files without one).
bool may_change(int32_t method, int slot) {
  switch (method) {
    case 1:
      return slot <= 17;
    case 2:
      return slot <= 4 || slot == 8 || slot == 12 || slot == 13;
    case 10:
      return slot <= 6 || slot == 8;
    case 11:
      return slot <= 2 || slot == 8;
    case -1:
      return false;
    default:
      return slot == 8;
  }
}

std::vector<std::string> seed_files() {
  std::vector<std::string> seeds;
  TmParam p;
  tmparam_default(1, 0, &p);
  seeds.push_back(lftm::render_settings_xmp(1, p));
  p.tmParam[16] = 0;
  p.tmParam[15] = 1;
  seeds.push_back(lftm::render_settings_xmp(1, p));
  for (int method : {2, 5, 10, 11}) seeds.push_back(lftm::render_settings_xmp(method, p));
  seeds.push_back(lftm_test::sidecar_text(
      "<lftm:Version>2.4</lftm:Version><lftm:Method>Edge Lifter</lftm:Method>\n"
      "<lftm:Microcontrast>Medium Low</lftm:Microcontrast>"
      "<lftm:NoiseSmoothing>3</lftm:NoiseSmoothing>\n"
      "<lftm:Smoothing>High</lftm:Smoothing><lftm:SmoothingMode>Light</lftm:SmoothingMode>\n"));
  return seeds;
}

// Pieces worth splicing in: tags, words and numbers the reader reacts to.
const char* const kPieces[] = {
    "<lftm:Version>", "3.1", "<lftm:Method>", "Blend/Strong", "<lftm:Gamma>", "0.0",
    "<lftm:Smoothing>", "<lftm:SmoothingMode>", "Slider", "<lftm:Microcontrast>", "Medium",
    "<lftm:360DegreeImage>", "Yes", "xmlns:lftm=", "</rdf:", "\n", "-1e99", "0x1p-999",
    "nan", "   ", "<lftm:Strength>", "99999999999999999999"};

std::string mutate(std::string text, std::mt19937* rng) {
  auto pick = [rng](size_t n) { return n == 0 ? size_t{0} : (*rng)() % n; };
  const int edits = 1 + static_cast<int>(pick(6));
  for (int e = 0; e < edits; ++e) {
    const size_t at = pick(text.size() + 1);
    switch (pick(7)) {
      case 0:  // flip a byte to anything, NUL included
        if (!text.empty()) text[pick(text.size())] = static_cast<char>(pick(256));
        break;
      case 1:  // splice in a known piece
        text.insert(at, kPieces[pick(sizeof kPieces / sizeof kPieces[0])]);
        break;
      case 2:  // drop a range
        text.erase(at, pick(64));
        break;
      case 3:  // duplicate a range
        text.insert(at, text.substr(pick(text.size() + 1), pick(200)));
        break;
      case 4:  // a long run without line ends
        text.insert(at, std::string(200 + pick(200), static_cast<char>('A' + pick(26))));
        break;
      case 5:  // cut the file short
        text.resize(at);
        break;
      default:  // join two lines
        if (size_t lf = text.find('\n', at); lf != std::string::npos) text.erase(lf, 1);
        break;
    }
  }
  return text;
}

std::string random_bytes(std::mt19937* rng) {
  std::string text(static_cast<size_t>((*rng)() % 600), '\0');
  for (char& c : text) c = static_cast<char>((*rng)() % 4 == 0 ? '\n' : (*rng)() % 256);
  return text;
}

TEST(XmpFuzzTest, RandomAndMutatedFilesGiveDefinedResults) {
  lftm_test::TempDir dir;
  lftm_test::DiagCapture quiet;
  const std::vector<std::string> seeds = seed_files();
  const int32_t methods[] = {-1, 0, 1, 1, 2, 5, 10, 11};
  std::mt19937 rng(20240601);
  const std::string path = dir.file("fuzz.xmp");
  int read_through = 0;
  for (int run = 0; run < 4000; ++run) {
    const std::string text = run % 8 == 0 ? random_bytes(&rng)
                                          : mutate(seeds[rng() % seeds.size()], &rng);
    // A new file each time: rewriting a truncated file makes some file systems flush it.
    std::remove(path.c_str());
    ASSERT_TRUE(lftm_test::write_text(path, text));
    const int32_t method = methods[rng() % 8];
    TmParam block = lftm_test::filled_block(kSentinel);
    const int32_t result = parse_xmp(path.c_str(), method, &block);

    SCOPED_TRACE(testing::Message() << "run " << run << " method " << method);
    if (result >= 0) {
      // A scan count never passes the last byte, which is never read.
      EXPECT_LT(result, static_cast<int32_t>(text.size()));
      ++read_through;
    } else {
      EXPECT_TRUE(result == -10 || result == -5) << result;
    }
    for (int i = 0; i < 20; ++i) {
      if (!may_change(method, i)) {
        EXPECT_EQ(block.tmParam[i], kSentinel) << "slot " << i;
      }
    }
  }
  EXPECT_GT(read_through, 1000);  // the mutations must leave many files readable
}

}  // namespace
