// SPDX-License-Identifier: BSD-3-Clause
#include "support/files.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace lftm_test {

std::string sample_path(const std::string& name) {
  const char* env = std::getenv("LFTM_TEST_DATA");
  std::string dir = (env != nullptr && env[0] != '\0') ? env : LFTM_SAMPLES_DIR;
  return dir + "/" + name;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool write_text(const std::string& path, const std::string& text) {
  return write_file(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                              std::istreambuf_iterator<char>());
}

std::string read_text(const std::string& path) {
  std::vector<uint8_t> bytes = read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> directory_entries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* entry = readdir(d)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

int open_descriptor_count() { return static_cast<int>(directory_entries("/proc/self/fd").size()); }

namespace {

bool starts_with(const std::string& path, const std::vector<uint8_t>& magic) {
  std::vector<uint8_t> bytes = read_file(path);
  return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

}  // namespace

bool starts_with_jpeg_marker(const std::string& path) { return starts_with(path, {0xFF, 0xD8}); }

bool starts_with_tiff_header(const std::string& path) {
  return starts_with(path, {'I', 'I', 42, 0}) || starts_with(path, {'M', 'M', 0, 42});
}

}  // namespace lftm_test
