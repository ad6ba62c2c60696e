// What a tone-mapping run needs of the machine, as the drivers estimate it, and the tool's
// memory limit (--memory-limit) that a run must stay within.
#ifndef LFTM_TOOLS_RUN_ESTIMATE_H_
#define LFTM_TOOLS_RUN_ESTIMATE_H_

#include <cstdint>
#include <string>

#include "frame/run_needs.h"
#include "image_source.h"
#include "lftm.h"

namespace lftm_cli {

struct RunEstimate {
  bool tooLarge = false;  // beyond what the method takes at all
  lftm::RunNeeds needs;
};

// The estimate for `image` (probed) with a method, an output depth, a mode and settings.
// Disk mode keeps its output buffer in memory when `budget` holds it (or is 0, unknown), else
// in a scratch file.
RunEstimate estimate_run(const SourceImage& image, int32_t method, int32_t bits, bool disk,
                         const TmParam& params, int64_t budget);

// The limit when --memory-limit is not given: 90% of the memory that can be had now, or 0
// (no limit) when the system does not say.
int64_t default_memory_limit();

// "" when the run fits the memory limit (`givenLimit`, or 0 for default_memory_limit()) and, in
// disk mode, the free space of the temporary directory; else the sentence that says what it
// needs, what there is, and what to do.
std::string run_fit_problem(const RunEstimate& estimate, bool disk, int64_t givenLimit);

// Reads a byte count such as "4G", "256M", "1.5g", "800k" or "1000000" (binary units).
// Returns false for anything else, zero or a negative size.
bool parse_byte_size(const std::string& text, int64_t* bytes);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_RUN_ESTIMATE_H_
