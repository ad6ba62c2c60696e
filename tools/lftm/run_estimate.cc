// SPDX-License-Identifier: BSD-3-Clause
#include "run_estimate.h"

#include <cstdlib>

#include "messages.h"

namespace lftm_cli {

std::string run_fit_problem(const lftm_run_estimate& estimate, bool disk, int64_t givenLimit) {
  const int64_t memoryLimit = givenLimit > 0 ? givenLimit : estimate.memory_available;
  if (memoryLimit > 0 && estimate.memory > memoryLimit) {
    return "the run needs about " + byte_count_text(estimate.memory) +
           " of memory, more than the limit of " + byte_count_text(memoryLimit) +
           (givenLimit > 0 ? " (--memory-limit)"
                           : " (the memory available; --memory-limit sets another)") +
           (disk ? ": raise the limit or free memory"
                 : ": use --disk, which keeps the large planes in temporary files");
  }
  if (!disk || estimate.scratch_problem != 0) return "";  // the run's own failure says it better
  if (estimate.scratch_free >= 0 && estimate.scratch > estimate.scratch_free) {
    return "--disk needs about " + byte_count_text(estimate.scratch) +
           " of scratch space in " + estimate.scratch_folder + " and " +
           byte_count_text(estimate.scratch_free) +
           " is free there: free space or set TMPDIR to a larger disk";
  }
  return "";
}

bool parse_byte_size(const std::string& text, int64_t* bytes) {
  if (text.empty() || !(text[0] >= '0' && text[0] <= '9')) return false;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  double scale = 1;
  switch (*end) {
    case 'k': case 'K': scale = 1024.0; ++end; break;
    case 'm': case 'M': scale = 1024.0 * 1024; ++end; break;
    case 'g': case 'G': scale = 1024.0 * 1024 * 1024; ++end; break;
    case 't': case 'T': scale = 1024.0 * 1024 * 1024 * 1024; ++end; break;
    default: break;
  }
  if (*end == 'B' || *end == 'b') ++end;
  const double total = value * scale;
  if (*end != '\0' || !(total >= 1) || total > 9e18) return false;
  *bytes = static_cast<int64_t>(total);
  return true;
}

}  // namespace lftm_cli
