// SPDX-License-Identifier: BSD-3-Clause
#include "platform/diag.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "platform/workers.h"
#include "support/diag_capture.h"

namespace lftm {
namespace {

TEST(DiagTest, SinkReceivesLinesByStream) {
  lftm_test::DiagCapture capture;
  diag_out("w=%d %s\n", 12, "x");
  diag_err("tile %d\n", 3);
  EXPECT_EQ(capture.out(), "w=12 x\n");
  EXPECT_EQ(capture.err(), "tile 3\n");
}

// A sink that prints through the library, as a host's receiver that calls it may, does not
// wait for itself: what it prints goes to the standard stream.
TEST(DiagTest, ASinkThatPrintsDoesNotWaitForItself) {
  std::vector<std::string> received;
  set_diag_sink([](DiagStream, const char* text, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(text);
    diag_err("printed by the sink\n");
  }, &received);
  auto printed = std::async(std::launch::async, [] { diag_out("to the sink\n"); });
  if (printed.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "the sink waits for itself";
    std::_Exit(1);  // the printing thread can be neither joined nor left behind
  }
  set_diag_sink(nullptr, nullptr);
  EXPECT_EQ(received, std::vector<std::string>{"to the sink\n"});
}

TEST(DiagTest, LongLinesArriveWhole) {
  lftm_test::DiagCapture capture;
  std::string long_text(3000, 'a');
  diag_out("%s|\n", long_text.c_str());
  EXPECT_EQ(capture.out(), long_text + "|\n");
}

// Workers print each line in three pieces, as the stage workers do; every line reaches the
// sink whole and each worker's lines keep their order. A last line left open reaches the
// sink, whole, when its worker ends.
TEST(DiagTest, WorkerLinesPrintedInPiecesNeverMix) {
  constexpr int kWorkers = 6;
  constexpr int kLines = 300;
  std::vector<std::string> received;  // one entry per sink call (the sink runs under a lock)
  set_diag_sink([](DiagStream, const char* text, void* context) {
    static_cast<std::vector<std::string>*>(context)->push_back(text);
  }, &received);
  run_tiles(kWorkers, [](int w) {
    for (int n = 0; n < kLines; ++n) {
      diag_out("worker %d ", w);
      diag_out("line %d", n);
      diag_out(" end\n");
    }
    diag_out("worker %d open", w);
  });
  set_diag_sink(nullptr, nullptr);

  std::vector<int> next(kWorkers, 0);
  std::vector<int> open(kWorkers, 0);
  for (const std::string& text : received) {
    int w = -1;
    if (text.back() != '\n') {
      ASSERT_EQ(std::sscanf(text.c_str(), "worker %d open", &w), 1) << text;
      ASSERT_TRUE(w >= 0 && w < kWorkers) << text;
      EXPECT_EQ(text, "worker " + std::to_string(w) + " open");
      ++open[w];
      continue;
    }
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      int n = -1;
      ASSERT_EQ(std::sscanf(line.c_str(), "worker %d line %d", &w, &n), 2) << line;
      ASSERT_TRUE(w >= 0 && w < kWorkers) << line;
      EXPECT_EQ(line, "worker " + std::to_string(w) + " line " + std::to_string(next[w]) + " end");
      ++next[w];
    }
  }
  for (int w = 0; w < kWorkers; ++w) {
    EXPECT_EQ(next[w], kLines) << w;
    EXPECT_EQ(open[w], 1) << w;
  }
}

TEST(DiagTest, NumbersUseAPeriodWhateverTheHostLocale) {
  std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  const char* comma = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr &&
        std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
      comma = name;
      break;
    }
  }
  if (comma == nullptr) {
    std::setlocale(LC_NUMERIC, saved.c_str());
    GTEST_SKIP() << "no decimal-comma locale installed";
  }
  {
    lftm_test::DiagCapture capture;
    diag_out("%1.3f\n", 0.25);
    EXPECT_EQ(capture.out(), "0.250\n");
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace lftm
