#include "file_guard.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "lftm.h"

namespace lftm_cli {
namespace {

// Sidecars are a few kilobytes; a larger file is something else.
constexpr long kLargestSidecar = 1 << 20;
// How much of an existing log is looked at to tell text from an image.
constexpr size_t kLogProbeBytes = 1 << 16;

// The absolute name of a path that does not exist: its folder resolved when it exists,
// else the path made absolute as written.
std::string absolute_name(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  if (folder.empty()) folder = "/";
  const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  char resolved[PATH_MAX];
  if (realpath(folder.c_str(), resolved) != nullptr) return std::string(resolved) + "/" + leaf;
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  return getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) + "/" + path : path;
}

// Reads up to `limit` bytes from the start of a file; false when it cannot be read.
bool read_head(const std::string& path, size_t limit, std::string* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes->resize(limit);
  bytes->resize(std::fread(&(*bytes)[0], 1, limit, file));
  std::fclose(file);
  return true;
}

bool holds_nul(const std::string& bytes) { return bytes.find('\0') != std::string::npos; }

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  const bool hasA = stat(a.c_str(), &sa) == 0, hasB = stat(b.c_str(), &sb) == 0;
  if (hasA && hasB) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (hasA != hasB) return false;
  return absolute_name(a) == absolute_name(b);
}

std::string check_job_files(const std::vector<Job>& jobs) {
  for (const Job& job : jobs) {
    for (const Job& other : jobs) {
      if (same_file(job.output, other.input)) {
        return "refusing to write " + job.output + ": it is the input " + other.input +
               " (the same file); choose another output name or folder";
      }
    }
  }
  for (size_t i = 0; i < jobs.size(); ++i) {
    std::string colliding;
    for (size_t j = i + 1; j < jobs.size(); ++j) {
      if (same_file(jobs[i].output, jobs[j].output)) colliding += ", " + jobs[j].input;
    }
    if (!colliding.empty()) {
      return "the inputs " + jobs[i].input + colliding + " would all be written to " +
             jobs[i].output + "; give them distinct names or convert them separately";
    }
  }
  return "";
}

bool is_settings_sidecar(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kLargestSidecar) {
    return false;
  }
  // An image can hold the settings text among its binary data; a sidecar holds no NUL.
  std::string bytes;
  if (!read_head(path, kLargestSidecar, &bytes) || holds_nul(bytes)) return false;
  return parse_xmp(path.c_str(), -1, nullptr) >= 0;
}

std::string check_sidecar_target(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || is_settings_sidecar(path)) return "";
  return "refusing to write the settings into " + path +
         ": it exists and is not a settings sidecar";
}

std::string check_log_target(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
  std::string bytes;
  if (read_head(path, kLogProbeBytes, &bytes) && holds_nul(bytes)) {
    return "refusing to append the log to " + path + ": it is not a text file";
  }
  if (is_settings_sidecar(path)) {
    return "refusing to append the log to " + path + ": it is a settings sidecar";
  }
  return "";
}

std::string check_not_among(const std::string& path, const std::string& use,
                            const std::vector<RunFile>& files) {
  for (const RunFile& file : files) {
    if (same_file(path, file.path)) {
      return "refusing to use " + path + " as the " + use + ": it is the " + file.role + " " +
             file.path + " of this run";
    }
  }
  return "";
}

}  // namespace lftm_cli
