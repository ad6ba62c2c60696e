// Guards against writing over the wrong file: an output that is one of the inputs, two
// outputs with the same name, a settings sidecar or a log that would land on an image.
#ifndef LFTM_TOOLS_FILE_GUARD_H_
#define LFTM_TOOLS_FILE_GUARD_H_

#include <string>
#include <vector>

namespace lftm_cli {

// Whether two paths name the same file: for existing files the same device and inode (so
// hard links, symbolic links and other spellings of one file match), otherwise the same
// absolute name once the folder part is resolved.
bool same_file(const std::string& a, const std::string& b);

// What same_file compares: equal keys, same file.
std::string file_key(const std::string& path);

// One input and the output it is tone mapped into.
struct Job {
  std::string input;
  std::string output;
};

// "" when no output is an input of the run and no two jobs write the same file; otherwise
// what is wrong, naming the files.
std::string check_job_files(const std::vector<Job>& jobs);

// Whether the file holds a settings sidecar: a small text file, not an image, in which the
// sidecar reader finds the settings namespace.
bool is_settings_sidecar(const std::string& path);

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
