// SPDX-License-Identifier: BSD-3-Clause
#include "fuzz_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace lftm_fuzz {

// Each run rewrites its file: on a disk mounted with online discard, freeing the old blocks
// costs more than the run, so a memory file system is taken when there is one.
const std::string& scratch_dir() {
  static const std::string dir = [] {
    if (access("/dev/shm", W_OK | X_OK) == 0) return std::string("/dev/shm");
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp");
  }();
  return dir;
}

namespace {

std::map<std::string, std::string>& paths() {
  static std::map<std::string, std::string> bySuffix;
  return bySuffix;
}

void remove_scratch_files() {
  for (const auto& entry : paths()) unlink(entry.second.c_str());
}

}  // namespace

const char* scratch_file_path(const char* suffix) {
  std::string& path = paths()[suffix];
  if (path.empty()) {
    if (paths().size() == 1) std::atexit(remove_scratch_files);
    path = scratch_dir() + "/lftm_fuzz_" + std::to_string(getpid()) + suffix;
  }
  return path.c_str();
}

const char* write_input_file(const uint8_t* data, size_t size, const char* suffix) {
  const char* path = scratch_file_path(suffix);
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return nullptr;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !ok) return nullptr;
  return path;
}

}  // namespace lftm_fuzz
