// SPDX-License-Identifier: BSD-3-Clause
#include "file_guard.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "input_format.h"
#include "lftm.h"
#include "lftm_host.h"

namespace lftm_cli {
namespace {

// How much of an existing log is looked at to tell text from an image.
constexpr size_t kLogProbeBytes = 1 << 16;

// Reads up to `limit` bytes from the start of a file; false when it cannot be read.
bool read_head(const std::string& path, size_t limit, std::string* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes->resize(limit);
  bytes->resize(std::fread(&(*bytes)[0], 1, limit, file));
  std::fclose(file);
  return true;
}

// Text as logs and sidecars hold it: no control bytes other than tab, line ends, form feed
// and escape (terminal colours). Image data has them within its first kilobytes.
bool is_text(const std::string& bytes) {
  for (unsigned char c : bytes) {
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v' &&
        c != 0x1b) {
      return false;
    }
  }
  return true;
}

// An image by its first bytes (or a Radiance name), though it may look like text.
bool is_image(const std::string& path, const std::string& head) {
  if (detect_input_format(path) != InputFormat::kUnknown) return true;
  return head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0xFF &&
         static_cast<unsigned char>(head[1]) == 0xD8;
}

// Whether two paths name the same file, by the library's rule (links and other spellings
// of one file match; names of files still to be made match once their folders resolve).
bool same_file(const std::string& a, const std::string& b) {
  return lftm_same_file(a.c_str(), b.c_str()) == 1;
}

// Whether the file holds a settings sidecar, by the library's rule: a file that
// lftm_save_settings may replace.
bool is_settings_sidecar(const std::string& path) {
  return lftm_save_settings(path.c_str(), 0, nullptr, LFTM_SAVE_CHECK_ONLY) == 0;
}

}  // namespace

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
    std::vector<const Job*> sharing;
    for (const Job& other : jobs) {
      if (same_file(jobs[i].output, other.output)) sharing.push_back(&other);
    }
    if (sharing.size() < 2) continue;
    std::string names;
    for (size_t k = 0; k < sharing.size(); ++k) {
      names += (k == 0 ? "" : k + 1 == sharing.size() ? " and " : ", ") + sharing[k]->input;
    }
    return "the inputs " + names + (sharing.size() == 2 ? " would both" : " would all") +
           " be written to " + jobs[i].output +
           "; give them distinct names or convert them separately";
  }
  return "";
}

std::string check_image_target(const std::string& path, bool overwrite) {
  switch (lftm_check_output(path.c_str(), nullptr, overwrite ? 1 : 0)) {
    case LFTM_ERR_OUTPUT_EXISTS:
      return path + " exists and was not written by lftm: use --overwrite to replace it";
    case LFTM_ERR_OUTPUT_NOT_FILE:
      return "refusing to write " + path + ": it is not a regular file (a folder, device, "
             "pipe or socket)";
    case LFTM_ERR_OUTPUT_READ_ONLY:
      return "refusing to replace " + path + ": it is write-protected";
    default:
      return "";
  }
}

std::string check_sidecar_target(const std::string& path) {
  if (lftm_save_settings(path.c_str(), 0, nullptr, LFTM_SAVE_CHECK_ONLY) != LFTM_ERR_NOT_SIDECAR) {
    return "";
  }
  return "refusing to write the settings into " + path +
         ": it exists and is not a settings sidecar";
}

std::string check_log_target(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
  std::string bytes;
  if (!read_head(path, kLogProbeBytes, &bytes)) return "";  // fopen will tell
  if (is_image(path, bytes)) return "refusing to append the log to " + path + ": it is an image";
  if (!is_text(bytes)) {
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
