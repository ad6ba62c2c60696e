// The files a tuning session may touch. The page names sidecars to read and files to write;
// each name is resolved against the folder the tuner was started in, must lie in that folder
// or the photograph's folder (or below them, symbolic links resolved), and follows the
// command line's output rules: never the photograph itself, sidecars only over sidecars.
#ifndef LFTM_TOOLS_TUNE_USER_PATHS_H_
#define LFTM_TOOLS_TUNE_USER_PATHS_H_

#include <string>
#include <vector>

namespace lftm_tune {

struct PathRules {
  std::string input;               // the photograph, as an absolute path
  std::vector<std::string> roots;  // folders the session may use, absolute and resolved
};

// The rules for a session on `input` started in the current folder; false when either folder
// cannot be resolved.
bool make_path_rules(const std::string& input, PathRules* rules);

// A sidecar the page asks to read: an existing .xmp file. Returns "" and its resolved path, or
// what is wrong.
std::string sidecar_to_read(const PathRules& rules, const std::string& name, std::string* path);

// A sidecar the page asks to write. Same convention.
std::string sidecar_to_write(const PathRules& rules, const std::string& name, std::string* path);

// An image the page asks to export, `bits` 8 or 16. Same convention.
std::string export_target(const PathRules& rules, const std::string& name, int bits,
                          std::string* path);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_USER_PATHS_H_
