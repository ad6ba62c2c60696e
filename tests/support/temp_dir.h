// SPDX-License-Identifier: BSD-3-Clause
// Temporary directories for the tests, and TMPDIR pointed elsewhere for a while.
#ifndef LFTM_TESTS_SUPPORT_TEMP_DIR_H_
#define LFTM_TESTS_SUPPORT_TEMP_DIR_H_

#include <memory>
#include <string>

namespace lftm_test {

// A fresh directory under the temporary directory, removed with its files at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets TMPDIR while it lives and restores the previous value (or its absence) afterwards:
// to `value`, or without one to a fresh, empty directory of its own.
class ScopedTmpdir {
 public:
  ScopedTmpdir();
  explicit ScopedTmpdir(const std::string& value);
  ~ScopedTmpdir();
  ScopedTmpdir(const ScopedTmpdir&) = delete;
  ScopedTmpdir& operator=(const ScopedTmpdir&) = delete;
  // What TMPDIR holds.
  const std::string& path() const { return value_; }

 private:
  std::unique_ptr<TempDir> own_;
  std::string value_;
  std::string previous_;
  bool had_previous_ = false;
};

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_TEMP_DIR_H_
