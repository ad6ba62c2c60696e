// SPDX-License-Identifier: BSD-3-Clause
// An output file that appears whole or not at all. The writer writes a temporary file
// "<folder>/.<name>.XXXXXX" beside the final name, which replaces the final name only once
// the writer has succeeded; otherwise the temporary is removed and an earlier file of the
// final name is left as it was. Only a regular file the user may write is ever replaced, and
// it keeps its permission bits; a device, pipe, socket or folder of that name is refused.
#ifndef LFTM_PLATFORM_STAGED_OUTPUT_H_
#define LFTM_PLATFORM_STAGED_OUTPUT_H_

#include <string>

namespace lftm {

// What create and commit return when they fail (0 when they succeed).
constexpr int kStagingFailed = -1;    // the temporary cannot be made or renamed
constexpr int kStagingNotFile = -2;   // the final name is not a regular file
constexpr int kStagingReadOnly = -3;  // the final name is a file the user may not write
constexpr int kStagingForeign = -4;   // Replace::kOwnOutputs: a file lftm did not write

// What stands at an output's name, as far as replacing it goes.
enum class OutputState {
  kAbsent,     // nothing (or a dangling link): a new file is made
  kOwnOutput,  // an image lftm wrote (own_output.h)
  kForeign,    // any other regular file
  kNotFile,    // a folder, device, pipe or socket
  kReadOnly,   // a regular file the user may not write (access(W_OK); root may)
};

// The state of `path`; `software` is the Software text a caller gave the writers (may be
// null). A symbolic link is judged by what it points to.
OutputState output_state(const char* path, const char* software);

// Which existing files the temporary may replace.
enum class Replace {
  kRegularFiles,  // any regular file the user may write
  kOwnOutputs,    // only images lftm wrote
};

class StagedOutput {
 public:
  StagedOutput() = default;
  // Removes the temporary unless commit() moved it onto the final name.
  ~StagedOutput();
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  // Creates the empty temporary with the mode a new file gets (0666 less the umask) and
  // records it among the live files. `suffix` (a few characters, such as ".jpg") ends the
  // temporary's name, for writers that choose the format by the name. Returns 0,
  // kStagingFailed when the folder is missing or not writable, or the refusal (kStagingNotFile,
  // kStagingReadOnly, kStagingForeign) for what stands at the final name under `replace`.
  int create(const char* finalPath, const char* suffix = "",
             Replace replace = Replace::kRegularFiles);

  // The temporary's path, for the writer.
  const char* path() const { return temp_.c_str(); }

  // Renames the temporary onto the final name, once what stands there now was checked again
  // and its permission bits given to the temporary. Returns 0 or a code as create's (the
  // temporary is removed).
  int commit();

 private:
  int check_final() const;
  void discard();
  std::string final_;
  std::string temp_;
  Replace replace_ = Replace::kRegularFiles;
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_STAGED_OUTPUT_H_
