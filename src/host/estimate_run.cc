// SPDX-License-Identifier: BSD-3-Clause
// lftm_estimate_run: what a file-to-file run would need of the machine, from the file's
// header and the estimates the drivers check themselves, and what the machine has.
#include <cstring>
#include <string>

#include "frame/run_needs.h"
#include "host/file_format.h"
#include "host/host_records.h"
#include "platform/memory_budget.h"
#include "platform/resources.h"
#include "platform/scratch_file.h"
#include "platform/sizes.h"

namespace lftm {
namespace {

static_assert(LFTM_MAX_IMAGE_PIXELS == kMaxImagePixels, "the public limit is the library's");

// The needs of a Texture Booster run; too_large when tm_dim cannot count its pyramid.
void estimate_booster(const RunImage& image, const lftm_options& options, int64_t budget,
                      lftm_run_estimate* estimate) {
  PyramidDims dims;
  std::memset(&dims, 0, sizeof dims);
  // Smaller images are refused for another reason; their needs are those of no pyramid.
  const bool sized = image.width >= 10 && image.height >= 10;
  if (sized) tm_dim(image.width, image.height, &options.settings, &dims);
  if (sized && dims.total == 0) {
    estimate->too_large = 1;
    return;
  }
  const RunNeeds needs = options.disk != 0 ? disk_needs_within(image, dims, budget, nullptr)
                                           : booster_needs(image, dims, false);
  estimate->memory = needs.memory;
  estimate->scratch = needs.scratch;
}

void estimate_machine(lftm_run_estimate* estimate) {
  estimate->memory_available = available_memory_bytes();
  std::string folder;
  estimate->scratch_problem = temp_folder_problem(&folder);
  std::strncpy(estimate->scratch_folder, folder.c_str(), sizeof estimate->scratch_folder - 1);
  estimate->scratch_free =
      estimate->scratch_problem == 0 ? free_disk_bytes(folder) : kResourceUnknown;
}

int32_t estimate_run(const char* path, const lftm_options& options,
                     lftm_run_estimate* estimate) {
  FileProbe probe;
  {
    SiblingSet siblings;
    const int32_t probed = probe_file(path, options.tiff_input, &siblings, &probe);
    if (probed < 0) return probed;
  }
  const int32_t width = probe.info.infos[LFTM_INFO_WIDTH];
  const int32_t height = probe.info.infos[LFTM_INFO_HEIGHT];
  estimate->width = width;
  estimate->height = height;
  estimate->budget = memory_budget_for(memory_limit_of(&options));
  estimate_machine(estimate);
  if (!image_size_ok(width, height)) {
    estimate->too_large = 1;
    return 0;
  }
  const RunImage image = {probe.kind, width, height, probe.spp, options.bits, file_length(path)};
  if (options.method == LFTM_METHOD_RANGE_SQUEEZER) {
    const RunNeeds needs = squeezer_needs(image);
    estimate->memory = needs.memory;
    return 0;
  }
  estimate_booster(image, options, estimate->budget, estimate);
  return 0;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_estimate_run(const char* path, const lftm_options* options,
                                     lftm_run_estimate* estimate) {
  const int32_t checked = lftm::check_options(options);
  if (checked < 0) return checked;
  if (path == nullptr || estimate == nullptr || estimate->struct_size < sizeof *estimate ||
      (options->bits != 8 && options->bits != 16)) {
    return LFTM_ERR_ARGUMENT;
  }
  std::memset(estimate, 0, sizeof *estimate);
  estimate->struct_size = sizeof *estimate;
  return lftm::estimate_run(path, *options, estimate);
}
