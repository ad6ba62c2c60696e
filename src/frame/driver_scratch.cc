// SPDX-License-Identifier: BSD-3-Clause
#include "frame/driver_scratch.h"

#include "platform/scratch_file.h"

namespace lftm {

ScratchFiles::~ScratchFiles() {
  for (size_t i = 0; i < paths_.size(); ++i) remove(i);
}

int ScratchFiles::create(const char* prefix) {
  std::string path;
  int result = create_scratch_file(prefix, &path);
  if (result == 0) paths_.push_back(path);
  return result;
}

void ScratchFiles::remove(size_t index) {
  if (paths_[index].empty()) return;
  remove_file(paths_[index].c_str());
  paths_[index].clear();
}

}  // namespace lftm
