// SPDX-License-Identifier: BSD-3-Clause
#include "user_paths.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "file_guard.h"
#include "input_format.h"

namespace lftm_tune {
namespace {

std::string real_path(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

bool is_within(const std::string& path, const std::string& root) {
  return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                          path[root.size()] == '/');
}

// The absolute, resolved path of `name` (its folder resolved, the last name kept), or why it
// cannot be used.
std::string resolve(const PathRules& rules, const std::string& name, std::string* path) {
  if (name.empty()) return "give a file name";
  if (name.size() > 4000 || name.find('\0') != std::string::npos) return "unusable file name";
  const std::string absolute = name[0] == '/' ? name : rules.base + "/" + name;
  const size_t slash = absolute.find_last_of('/');
  const std::string base = absolute.substr(slash + 1);
  if (base.empty() || base == "." || base == "..") return name + " names a folder, not a file";
  const std::string folder = real_path(slash == 0 ? "/" : absolute.substr(0, slash));
  if (folder.empty()) return "the folder of " + name + " does not exist";
  bool allowed = false;
  for (const std::string& root : rules.roots) allowed = allowed || is_within(folder, root);
  if (!allowed) {
    return name + " lies outside the folders this session may use (the photograph's folder "
                  "and those given with --output-dir)";
  }
  *path = (folder == "/" ? "" : folder) + "/" + base;
  struct stat st;
  if (lstat(path->c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    return name + " is a symbolic link; name the file itself";
  }
  return "";
}

}  // namespace

std::string make_path_rules(const std::string& input, const std::vector<std::string>& folders,
                            PathRules* rules) {
  rules->input = real_path(input);
  if (rules->input.empty()) return "cannot resolve the folder of " + input;
  const size_t slash = rules->input.find_last_of('/');
  rules->base = slash == 0 ? "/" : rules->input.substr(0, slash);
  rules->roots.clear();
  // A photograph in the root folder gives the page no folder of its own.
  if (rules->base != "/") rules->roots.push_back(rules->base);
  for (const std::string& folder : folders) {
    const std::string resolved = real_path(folder);
    struct stat st;
    if (resolved.empty() || stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      return "--output-dir " + folder + " is not a folder";
    }
    if (resolved == "/") return "--output-dir / would open every folder to the page";
    rules->roots.push_back(resolved);
  }
  return "";
}

std::string sidecar_to_read(const PathRules& rules, const std::string& name, std::string* path) {
  std::string problem = resolve(rules, name, path);
  if (!problem.empty()) return problem;
  if (lftm_cli::lower_extension(*path) != "xmp") return "a settings file ends in .xmp";
  struct stat st;
  if (stat(path->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return name + " does not exist";
  return "";
}

std::string sidecar_to_write(const PathRules& rules, const std::string& name, std::string* path) {
  std::string problem = resolve(rules, name, path);
  if (!problem.empty()) return problem;
  if (lftm_cli::lower_extension(*path) != "xmp") return "a settings file ends in .xmp";
  problem = lftm_cli::check_not_among(*path, "settings sidecar", {{rules.input, "input"}});
  return problem.empty() ? lftm_cli::check_sidecar_target(*path) : problem;
}

std::string export_folder(const PathRules& rules, const std::string& name, std::string* path) {
  std::string absolute = name.empty()  ? rules.base
                         : name[0] == '/' ? name
                                          : rules.base + "/" + name;
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  std::string resolved = real_path(absolute);
  if (resolved.empty()) {
    // Named as a file would be: its parent inside the session's folders.
    std::string problem = resolve(rules, absolute, &resolved);
    if (!problem.empty()) return problem;
    if (mkdir(resolved.c_str(), 0777) != 0) return "cannot make the folder " + name;
  }
  struct stat st;
  if (stat(resolved.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return name + " is not a folder";
  bool allowed = false;
  for (const std::string& root : rules.roots) allowed = allowed || is_within(resolved, root);
  if (!allowed) return name + " lies outside the folders this session may use";
  *path = resolved;
  return "";
}

std::string export_target(const PathRules& rules, const std::string& name, int bits,
                          std::string* path) {
  std::string problem = resolve(rules, name, path);
  if (!problem.empty()) return problem;
  const std::string ext = lftm_cli::lower_extension(*path);
  const bool jpeg = ext == "jpg" || ext == "jpeg";
  if (!jpeg && ext != "tif" && ext != "tiff") {
    return "the output must end in .jpg, .jpeg, .tif or .tiff";
  }
  if (bits != 8 && bits != 16) return "bits takes 8 or 16";
  if (jpeg && bits == 16) return "JPEG holds 8 bits a sample; export a .tif for 16 bits";
  return lftm_cli::check_job_files({{rules.input, *path}});
}

}  // namespace lftm_tune
