// SPDX-License-Identifier: BSD-3-Clause
#include "run_failure.h"

#include <sys/statvfs.h>

#include "messages.h"

namespace lftm_cli {
namespace {

std::string folder_of(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Free bytes for an ordinary user on the disk holding `folder`, or -1.
int64_t free_bytes(const std::string& folder) {
  struct statvfs st;
  if (statvfs(folder.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
}

std::string free_text(int64_t bytes) {
  return bytes < 0 ? std::string() : byte_count_text(bytes) + " free";
}

// The temporary directory's own cause when the scratch files are at fault, else "".
std::string scratch_failure(const FailedRun& run) {
  if (run.estimate == nullptr) return "";
  const lftm_run_estimate& estimate = *run.estimate;
  const std::string dir = estimate.scratch_folder;
  if (estimate.scratch_problem == LFTM_ERR_TEMP_MISSING) {
    return failure_line(dir, kCauseTempMissing, "");
  }
  if (estimate.scratch_problem == LFTM_ERR_TEMP_NOT_WRITABLE) {
    return failure_line(dir, kCauseTempNotWritable, "");
  }
  // Measured again: the run itself took some of the space.
  const int64_t have = free_bytes(dir);
  if (have >= 0 && have < estimate.scratch) {
    return failure_line(dir, kCauseTempFull,
                        free_text(have) + ", about " + byte_count_text(estimate.scratch) +
                            " needed");
  }
  return "";
}

}  // namespace

std::string run_failure_line(const FailedRun& run) {
  if (run.code == LFTM_ERR_WRITER_IO) {
    return failure_line(run.output, run.code, free_text(free_bytes(folder_of(run.output))));
  }
  if (run.code == LFTM_ERR_WRITER_CREATE || run.code == LFTM_ERR_WRITER_ARGS) {
    return failure_line(run.output, run.code, "");
  }
  const bool scratchCode = run.code == LFTM_ERR_FILE || run.code == LFTM_ERR_IO ||
                           run.code == LFTM_ERR_TEMP_MISSING ||
                           run.code == LFTM_ERR_TEMP_NOT_WRITABLE ||
                           (run.method == LFTM_METHOD_TEXTURE_BOOSTER &&
                            run.code == LFTM_ERR_SOLVER_SCRATCH);
  if (run.disk && scratchCode) {
    std::string line = scratch_failure(run);
    if (!line.empty()) return line;
  }
  return failure_line(run.input, run.code, "", run.method);
}

}  // namespace lftm_cli
