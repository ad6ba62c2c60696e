// An output file that appears whole or not at all. The writer writes a temporary file
// "<folder>/.<name>.XXXXXX" beside the final name, which replaces the final name only once
// the writer has succeeded; otherwise the temporary is removed and an earlier file of the
// final name is left as it was.
#ifndef LFTM_PLATFORM_STAGED_OUTPUT_H_
#define LFTM_PLATFORM_STAGED_OUTPUT_H_

#include <string>

namespace lftm {

// What create and commit return when they fail (0 when they succeed).
constexpr int kStagingFailed = -1;

class StagedOutput {
 public:
  StagedOutput() = default;
  // Removes the temporary unless commit() moved it onto the final name.
  ~StagedOutput();
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  // Creates the empty temporary with the mode a new file gets (0666 less the umask) and
  // records it among the live files. `suffix` (a few characters, such as ".jpg") ends the
  // temporary's name, for writers that choose the format by the name. Returns 0, or
  // kStagingFailed when the folder is missing or not writable, or the final name is a folder.
  int create(const char* finalPath, const char* suffix = "");

  // The temporary's path, for the writer.
  const char* path() const { return temp_.c_str(); }

  // Renames the temporary onto the final name. Returns 0 or kStagingFailed (the temporary is
  // removed).
  int commit();

 private:
  void discard();
  std::string final_;
  std::string temp_;
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_STAGED_OUTPUT_H_
