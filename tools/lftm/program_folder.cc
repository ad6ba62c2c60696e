// SPDX-License-Identifier: BSD-3-Clause
#include "program_folder.h"

#include <unistd.h>

namespace lftm_cli {

std::string program_folder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  const std::string program(path, static_cast<size_t>(n));
  const size_t slash = program.rfind('/');
  return slash == std::string::npos ? "" : program.substr(0, slash == 0 ? 1 : slash);
}

std::string companion_program(const std::string& name) {
  const std::string folder = program_folder();
  if (folder.empty()) return "";
  return folder + (folder == "/" ? "" : "/") + name;
}

}  // namespace lftm_cli
