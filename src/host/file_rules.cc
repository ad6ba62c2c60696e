// SPDX-License-Identifier: BSD-3-Clause
#include "host/file_rules.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <string>

#include "lftm_host.h"

namespace lftm {
namespace {

// The absolute name of a path that need not exist: its folder resolved when it exists, else
// the path made absolute as written.
std::string absolute_name(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  if (folder.empty()) folder = "/";
  const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  char resolved[PATH_MAX];
  if (realpath(folder.c_str(), resolved) != nullptr) return std::string(resolved) + "/" + leaf;
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  return getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) + "/" + path : path;
}

}  // namespace

std::string lower_extension(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const char* dot = std::strrchr(path, '.');
  if (dot == nullptr || (slash != nullptr && dot < slash)) return "";
  std::string ext(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

int32_t output_format_of(const char* path) {
  const std::string ext = lower_extension(path);
  if (ext == "jpg" || ext == "jpeg") return LFTM_OUTPUT_JPEG;
  if (ext == "tif" || ext == "tiff") return LFTM_OUTPUT_TIFF;
  return LFTM_OUTPUT_NONE;
}

bool same_existing_file(const char* a, const char* b) {
  struct stat sa, sb;
  if (stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool same_file(const char* a, const char* b) {
  struct stat st;
  if (stat(a, &st) == 0 && stat(b, &st) == 0) return same_existing_file(a, b);
  return absolute_name(a) == absolute_name(b);
}

}  // namespace lftm

extern "C" int32_t lftm_output_format(const char* path) {
  return path == nullptr ? LFTM_OUTPUT_NONE : lftm::output_format_of(path);
}

extern "C" int32_t lftm_same_file(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return LFTM_ERR_ARGUMENT;
  return lftm::same_file(a, b) ? 1 : 0;
}
