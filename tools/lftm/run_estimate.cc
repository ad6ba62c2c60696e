#include "run_estimate.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "frame/driver_io.h"
#include "platform/resources.h"
#include "platform/scratch_file.h"
#include "platform/sizes.h"

namespace lftm_cli {

RunEstimate estimate_run(const SourceImage& image, int32_t method, int32_t bits, bool disk,
                         const TmParam& params, int64_t budget) {
  RunEstimate estimate;
  const lftm::RunImage run = {image.floatSamples ? lftm::kExtTiffFloat : image.extType,
                              image.width,
                              image.height,
                              image.spp,
                              bits,
                              lftm::file_length(image.path.c_str())};
  if (!lftm::image_size_ok(image.width, image.height)) {
    estimate.tooLarge = true;
    return estimate;
  }
  if (method == LFTM_METHOD_RANGE_SQUEEZER) {
    estimate.needs = lftm::squeezer_needs(run);
    return estimate;
  }
  PyramidDims dims = {};
  if (image.width >= 10 && image.height >= 10) tm_dim(image.width, image.height, &params, &dims);
  estimate.tooLarge = dims.total == 0 && image.width >= 10 && image.height >= 10;
  estimate.needs = disk ? lftm::disk_needs_within(run, dims, budget, nullptr)
                        : lftm::booster_needs(run, dims, false);
  return estimate;
}

int64_t default_memory_limit() {
  const int64_t available = lftm::available_memory_bytes();
  return available > 0 ? available / 10 * 9 : 0;
}

std::string run_fit_problem(const RunEstimate& estimate, bool disk, int64_t givenLimit) {
  const int64_t memoryLimit = givenLimit > 0 ? givenLimit : default_memory_limit();
  if (memoryLimit > 0 && estimate.needs.memory > memoryLimit) {
    return "the run needs about " + lftm::byte_count_text(estimate.needs.memory) +
           " of memory, more than the limit of " + lftm::byte_count_text(memoryLimit) +
           (givenLimit > 0 ? " (--memory-limit)"
                           : " (90% of the memory available; --memory-limit sets another)") +
           (disk ? ": raise the limit or free memory"
                 : ": use --disk, which keeps the large planes in temporary files");
  }
  if (!disk) return "";
  std::string dir;
  if (!lftm::temp_directory(&dir)) return "";  // the run's own failure says it better
  const int64_t space = lftm::free_disk_bytes(dir);
  if (space >= 0 && estimate.needs.scratch > space) {
    return "--disk needs about " + lftm::byte_count_text(estimate.needs.scratch) +
           " of scratch space in " + dir + " and " + lftm::byte_count_text(space) +
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
