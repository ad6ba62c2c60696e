// SPDX-License-Identifier: BSD-3-Clause
// lftm info FILE...: size, format and log-luminance statistics of HDR images.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "commands.h"
#include "diag_routing.h"
#include "foreign_option.h"
#include "image_source.h"
#include "lftm_host.h"
#include "messages.h"
#include "options.h"
#include "run_estimate.h"

namespace lftm_cli {
namespace {

void print_format(const SourceImage& image) {
  std::printf("format:         %s", format_name(image.format));
  if (image.format == InputFormat::kTiff) {
    std::printf(", %d-bit%s, %d sample%s per pixel, read as %s", image.fileBits,
                image.floatSamples ? " float" : "", image.fileSpp, image.fileSpp == 1 ? "" : "s",
                image.floatSamples || image.extType == LFTM_EXT_TIF_LINEAR
                    ? "linear"
                    : "gamma-encoded (2.2)");
  } else if (image.format == InputFormat::kOpenExr) {
    std::printf(", %s, %s", image.fileBits == 16 ? "half" : "float",
                image.fileSpp == 1 ? "luminance only" : "colour");
  }
  std::printf("\n");
}

// The image's own log-luminance range, measured by the library as lftm_read_info does.
void print_statistics(const lftm_photo_info& range) {
  if (range.has_stats == 0) {
    std::printf("log luminance:  no pixel has any light\n");
    return;
  }
  std::printf("log luminance:  min %.3f  max %.3f  mean %.3f\n", range.log_min, range.log_max,
              range.log_mean);
  std::printf("luminance:      min %.4g  max %.4g  geometric mean %.4g\n",
              std::exp(range.log_min), std::exp(range.log_max), std::exp(range.log_mean));
  std::printf("dynamic range:  %.1f stops\n", (range.log_max - range.log_min) / std::log(2.0));
}

struct RunEstimate {
  bool tooLarge = true;
  struct {
    int64_t memory = 0;
    int64_t scratch = 0;
  } needs;
  int64_t available = -1;     // memory that can be had now, -1 when unknown
  int64_t scratchFree = -1;   // free space in the scratch folder, -1 when unknown
  std::string scratchFolder;
};

// The library's estimate of a run of the image with the default settings and 8-bit output
// under a memory budget of `budget` bytes.
RunEstimate estimate_run(const SourceImage& image, int32_t method, bool disk, int64_t budget) {
  lftm_options options;
  lftm_options_init(&options, sizeof options, method);
  options.disk = disk ? 1 : 0;
  options.memory_limit = budget;
  lftm_run_estimate estimate;
  estimate.struct_size = sizeof estimate;
  RunEstimate run;
  if (lftm_estimate_run(image.path.c_str(), &options, &estimate) < 0) return run;
  run.tooLarge = estimate.too_large != 0;
  run.needs.memory = estimate.memory;
  run.needs.scratch = estimate.scratch;
  run.available = estimate.memory_available;
  run.scratchFree = estimate.scratch_free;
  run.scratchFolder = estimate.scratch_folder;
  return run;
}

// What tone mapping the image takes with the default settings and 8-bit output, in memory
// and in disk mode, beside what the machine has now.
void print_needs(const SourceImage& image) {
  // Disk mode with its output buffer in memory (a budget that holds it), and in a file (a
  // budget of one byte holds nothing).
  const int64_t ample = std::numeric_limits<int64_t>::max() / 4;
  const RunEstimate memory = estimate_run(image, LFTM_METHOD_TEXTURE_BOOSTER, false, ample);
  const RunEstimate disk = estimate_run(image, LFTM_METHOD_TEXTURE_BOOSTER, true, ample);
  const RunEstimate lean = estimate_run(image, LFTM_METHOD_TEXTURE_BOOSTER, true, 1);
  const RunEstimate squeezer = estimate_run(image, LFTM_METHOD_RANGE_SQUEEZER, false, ample);
  if (memory.tooLarge) {
    std::printf(
        "memory needed:  too large for the Texture Booster (about 1.6 gigapixels at most)\n");
  } else {
    // Disk mode runs fastest when its limit also holds the solver's two vectors.
    const int64_t vectors = 8 * static_cast<int64_t>(image.width) * image.height;
    // A large image can take less memory with disk mode's output buffer in a file.
    const std::string diskRange =
        lean.needs.memory < disk.needs.memory
            ? byte_count_text(lean.needs.memory) + " to " +
                  byte_count_text(disk.needs.memory)
            : "about " + byte_count_text(disk.needs.memory);
    std::printf("memory needed:  Texture Booster about %s, with --disk %s (fastest with\n"
                "                %s, when the limit allows it)\n",
                byte_count_text(memory.needs.memory).c_str(), diskRange.c_str(),
                byte_count_text(disk.needs.memory + vectors).c_str());
  }
  if (!squeezer.tooLarge) {
    std::printf("                Range Squeezer about %s\n",
                byte_count_text(squeezer.needs.memory).c_str());
  }
  const int64_t available = squeezer.available;
  if (available >= 0) {
    std::printf("                %s available now\n", byte_count_text(available).c_str());
  }
  if (memory.tooLarge) return;
  const std::string& dir = disk.scratchFolder;
  const int64_t space = disk.scratchFree;
  std::printf("scratch space:  about %s with --disk",
              byte_count_text(disk.needs.scratch).c_str());
  if (lean.needs.memory < disk.needs.memory) {
    std::printf(", %s with the least memory", byte_count_text(lean.needs.scratch).c_str());
  }
  if (space >= 0) {
    std::printf(" (%s free in %s)", byte_count_text(space).c_str(), dir.c_str());
  }
  std::printf("\n");
}

int info_one(const std::string& path, TiffEncoding encoding) {
  // Size and estimates come from the probe and are printed before the pixels are read: a
  // panorama too large to read whole still shows what a run of it needs.
  SourceImage image;
  int32_t result = probe_image(path, encoding, &image);
  if (result < 0) {
    std::fprintf(stderr, "lftm: %s\n", failure_line(path, result, image.detail).c_str());
    return kExitFailed;
  }
  std::printf("file:           %s\n", path.c_str());
  print_format(image);
  std::printf("size:           %d x %d pixels (%.2f megapixels)\n", image.width, image.height,
              image.width * static_cast<double>(image.height) / 1e6);
  if (image.hasPrimaries) {
    std::printf("primaries:      red %.4f %.4f  green %.4f %.4f  blue %.4f %.4f  white %.4f %.4f\n",
                image.primaries[0], image.primaries[1], image.primaries[2], image.primaries[3],
                image.primaries[4], image.primaries[5], image.primaries[6], image.primaries[7]);
  }
  print_needs(image);
  std::fflush(stdout);
  lftm_photo* photo = nullptr;
  result = open_photo(path, encoding, &image, &photo);
  if (result < 0) {
    std::fprintf(stderr, "lftm: %s\n", failure_line(path, result, image.detail).c_str());
    return kExitFailed;
  }
  PhotoCloser closer(photo);
  lftm_photo_info measured;
  measured.struct_size = sizeof measured;
  lftm_photo_get_info(photo, 1, &measured);
  print_statistics(measured);
  return kExitOk;
}

}  // namespace

int run_info(const std::vector<std::string>& args) {
  CliOptions options;
  std::string problem = parse_options(args, &options);
  std::string foreign = first_foreign_option(
      args, {"--tiff-linear", "--tiff-gamma", "-v", "--verbose", "-h", "--help"}, {"--log"});
  if (!foreign.empty()) problem = foreign + " is not an option of info";
  if (problem.empty() && options.help) {
    std::printf("usage: lftm info [--tiff-linear|--tiff-gamma] FILE...\n");
    return kExitOk;
  }
  if (!problem.empty() || options.positionals.empty()) {
    std::fprintf(stderr, "lftm info: %s\nusage: lftm info [--tiff-linear|--tiff-gamma] FILE...\n",
                 problem.empty() ? "no file given" : problem.c_str());
    return kExitUsage;
  }
  DiagRouting routing;
  if (!routing.start(options.diag, options.logPath, false)) {
    std::fprintf(stderr, "lftm: cannot open the log file %s\n", options.logPath.c_str());
    return kExitUsage;
  }
  int status = kExitOk;
  for (size_t i = 0; i < options.positionals.size(); ++i) {
    if (i > 0) std::printf("\n");
    if (info_one(options.positionals[i], options.tiff) != kExitOk) status = kExitFailed;
  }
  return status;
}

}  // namespace lftm_cli
