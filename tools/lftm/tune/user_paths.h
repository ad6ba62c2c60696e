// SPDX-License-Identifier: BSD-3-Clause
// The files a tuning session may touch. The page names sidecars to read and files to write;
// each name is resolved against the photograph's folder, must lie in that folder or in one
// named with --output-dir (or below them, symbolic links resolved), and follows the command
// line's output rules: never the photograph itself, sidecars only over sidecars. The folder
// the tuner was started in is not among them, and the root folder never is: a session does
// not open the whole machine to the page.
#ifndef LFTM_TOOLS_TUNE_USER_PATHS_H_
#define LFTM_TOOLS_TUNE_USER_PATHS_H_

#include <string>
#include <vector>

namespace lftm_tune {

struct PathRules {
  std::string input;               // the photograph, as an absolute path
  std::string base;                // the folder relative names start from
  std::vector<std::string> roots;  // folders the session may use, absolute and resolved
};

// The rules for a session on `input` that may also use `folders`. Returns "" or what is
// wrong (a folder that does not exist, or the root folder).
std::string make_path_rules(const std::string& input, const std::vector<std::string>& folders,
                            PathRules* rules);

// A sidecar the page asks to read: an existing .xmp file. Returns "" and its resolved path, or
// what is wrong.
std::string sidecar_to_read(const PathRules& rules, const std::string& name, std::string* path);

// A sidecar the page asks to write. Same convention.
std::string sidecar_to_write(const PathRules& rules, const std::string& name, std::string* path);

// A folder the page asks to export into, made when it does not exist yet (its parent must).
// "" names the photograph's folder. Same convention.
std::string export_folder(const PathRules& rules, const std::string& name, std::string* path);

// An image the page asks to export, `bits` 8 or 16. Same convention.
std::string export_target(const PathRules& rules, const std::string& name, int bits,
                          std::string* path);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_USER_PATHS_H_
