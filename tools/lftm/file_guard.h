// SPDX-License-Identifier: BSD-3-Clause
// Guards against writing over the wrong file: an output that is one of the inputs, two
// outputs with the same name, a settings sidecar or a log that would land on an image.
#ifndef LFTM_TOOLS_FILE_GUARD_H_
#define LFTM_TOOLS_FILE_GUARD_H_

#include <string>
#include <vector>

namespace lftm_cli {

// One input and the output it is tone mapped into.
struct Job {
  std::string input;
  std::string output;
};

// "" when no output is an input of the run and no two jobs write the same file; otherwise
// what is wrong, naming the files.
std::string check_job_files(const std::vector<Job>& jobs);

// "" when an image may be written at `path`: nothing is there, or an image lftm wrote, or
// (with `overwrite`) any regular file the user may write; otherwise why not, naming the file.
std::string check_image_target(const std::string& path, bool overwrite);

// "" when a settings sidecar may be written at `path`: nothing is there yet, or a sidecar.
std::string check_sidecar_target(const std::string& path);

// "" when log lines may be appended at `path`: nothing is there, or a text file that is
// neither an image nor a sidecar, or something other than a plain file (a terminal,
// /dev/null, a pipe).
std::string check_log_target(const std::string& path);

// A file the run reads or writes, and what it is to the run ("input", "output", ...).
struct RunFile {
  std::string path;
  std::string role;
};

// "" when `path` is none of `files`; otherwise why it cannot be used as the `use` (such as
// "settings sidecar" or "log").
std::string check_not_among(const std::string& path, const std::string& use,
                            const std::vector<RunFile>& files);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_FILE_GUARD_H_
