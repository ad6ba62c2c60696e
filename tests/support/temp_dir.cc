// SPDX-License-Identifier: BSD-3-Clause
#include "support/temp_dir.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace lftm_test {

TempDir::TempDir() {
  const char* env = std::getenv("TMPDIR");
  std::string base = (env != nullptr && env[0] != '\0') ? env : "/tmp";
  std::string pattern = base + "/lftm_test_XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) != nullptr) path_ = name.data();
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  if (DIR* dir = opendir(path_.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string n = entry->d_name;
      if (n != "." && n != "..") unlink((path_ + "/" + n).c_str());
    }
    closedir(dir);
  }
  rmdir(path_.c_str());
}

ScopedTmpdir::ScopedTmpdir() : ScopedTmpdir(std::string()) {}

ScopedTmpdir::ScopedTmpdir(const std::string& value) {
  // The own directory is made before TMPDIR moves, under the previous temporary directory.
  if (value.empty()) own_.reset(new TempDir);
  value_ = own_ != nullptr ? own_->path() : value;
  if (const char* old = std::getenv("TMPDIR")) {
    previous_ = old;
    had_previous_ = true;
  }
  setenv("TMPDIR", value_.c_str(), 1);
}

ScopedTmpdir::~ScopedTmpdir() {
  if (had_previous_) {
    setenv("TMPDIR", previous_.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
}

}  // namespace lftm_test
