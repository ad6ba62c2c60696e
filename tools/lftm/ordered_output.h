// SPDX-License-Identifier: BSD-3-Clause
// The text of several images that are processed at the same time, printed image by image in
// input order: the first unfinished image prints at once (so a lone image shows its progress
// as it goes), the others are held until every image before them has finished.
#ifndef LFTM_TOOLS_ORDERED_OUTPUT_H_
#define LFTM_TOOLS_ORDERED_OUTPUT_H_

#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace lftm_cli {

class OrderedOutput {
 public:
  explicit OrderedOutput(size_t images) : held_(images), finished_(images, false) {}
  OrderedOutput(const OrderedOutput&) = delete;
  OrderedOutput& operator=(const OrderedOutput&) = delete;

  // Text of image `image` for `stream` (standard output, standard error or a log file).
  void write(size_t image, std::FILE* stream, const std::string& text);

  // The image has printed everything; what the following images hold goes out, in order, up
  // to the next one that is still running.
  void finish(size_t image);

 private:
  struct Piece {
    std::FILE* stream;
    std::string text;
  };
  static void print(const Piece& piece);

  std::mutex mutex_;
  std::vector<std::vector<Piece>> held_;
  std::vector<bool> finished_;
  size_t first_unfinished_ = 0;
};

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_ORDERED_OUTPUT_H_
