#include "run_failure.h"

#include "input_check.h"
#include "lftm.h"
#include "messages.h"
#include "platform/resources.h"
#include "platform/scratch_file.h"

namespace lftm_cli {
namespace {

// Disk mode keeps the input (4 bytes a pixel), the log-luminance pyramid (about 5.4) and two
// solver planes of floats in scratch files: about this many bytes a pixel at most.
constexpr int64_t kScratchBytesPerPixel = 18;

std::string folder_of(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Free bytes for an ordinary user on the disk holding `folder`, or a negative value.
int64_t free_bytes(const std::string& folder) { return lftm::free_disk_bytes(folder); }

std::string free_text(int64_t bytes) {
  return bytes < 0 ? std::string() : byte_count_text(bytes) + " free";
}

// The temporary directory's own cause when the scratch files are at fault, else "".
std::string scratch_failure(const FailedRun& run) {
  std::string dir;
  const int32_t problem = lftm::temp_folder_problem(&dir);
  if (problem == LFTM_ERR_TEMP_MISSING) return failure_line(dir, kCauseTempMissing, "");
  if (problem == LFTM_ERR_TEMP_NOT_WRITABLE) return failure_line(dir, kCauseTempNotWritable, "");
  const int64_t have = free_bytes(dir);
  const int64_t need = kScratchBytesPerPixel * run.width * static_cast<int64_t>(run.height);
  if (have >= 0 && have < need) {
    return failure_line(dir, kCauseTempFull,
                        free_text(have) + ", about " + byte_count_text(need) + " needed");
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
                           (run.method == LFTM_METHOD_TEXTURE_BOOSTER &&
                            run.code == LFTM_ERR_SOLVER_SCRATCH);
  if (run.disk && scratchCode) {
    std::string line = scratch_failure(run);
    if (!line.empty()) return line;
  }
  return failure_line(run.input, run.code, "", run.method);
}

}  // namespace lftm_cli
