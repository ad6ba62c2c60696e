// SPDX-License-Identifier: BSD-3-Clause
// The scratch files of one disk-mode run. Whatever is left of them when the run ends, by
// success or failure, is removed, so no run leaves files in the temporary directory.
#ifndef LFTM_FRAME_DRIVER_SCRATCH_H_
#define LFTM_FRAME_DRIVER_SCRATCH_H_

#include <string>
#include <vector>

namespace lftm {

class ScratchFiles {
 public:
  ScratchFiles() = default;
  ~ScratchFiles();
  ScratchFiles(const ScratchFiles&) = delete;
  ScratchFiles& operator=(const ScratchFiles&) = delete;

  // Creates one more file with the prefix. Returns 0, LFTM_ERR_FILE (no temporary directory)
  // or LFTM_ERR_IO.
  int create(const char* prefix);

  // How many files were created.
  size_t count() const { return paths_.size(); }
  // The path of the index-th file created.
  const char* path(size_t index) const { return paths_[index].c_str(); }

  // Removes the index-th file now.
  void remove(size_t index);

 private:
  std::vector<std::string> paths_;
};

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVER_SCRATCH_H_
