// SPDX-License-Identifier: BSD-3-Clause
#include "ordered_output.h"

namespace lftm_cli {

void OrderedOutput::print(const Piece& piece) {
  std::fputs(piece.text.c_str(), piece.stream);
  // Progress on standard error must show up while a long image runs.
  if (piece.stream == stderr) std::fflush(stderr);
}

void OrderedOutput::write(size_t image, std::FILE* stream, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (image == first_unfinished_) {
    print({stream, text});
  } else {
    held_[image].push_back({stream, text});
  }
}

void OrderedOutput::finish(size_t image) {
  std::lock_guard<std::mutex> lock(mutex_);
  finished_[image] = true;
  while (first_unfinished_ < finished_.size() && finished_[first_unfinished_]) {
    ++first_unfinished_;
    if (first_unfinished_ == held_.size()) break;
    for (const Piece& piece : held_[first_unfinished_]) print(piece);
    held_[first_unfinished_].clear();
    held_[first_unfinished_].shrink_to_fit();
  }
}

}  // namespace lftm_cli
