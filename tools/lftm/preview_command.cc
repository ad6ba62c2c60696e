// SPDX-License-Identifier: BSD-3-Clause
// lftm preview FILE OUT.jpg [--size WxH]: a quick tone-mapped preview, made as a host makes
// one: a nearest-neighbour quick view, the Range Squeezer on it, and the preview histogram.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "commands.h"
#include "diag_routing.h"
#include "file_guard.h"
#include "foreign_option.h"
#include "image_source.h"
#include "lftm_host.h"
#include "messages.h"
#include "options.h"

namespace lftm_cli {
namespace {

constexpr int32_t kSmallestSide = 5;  // the quick view refuses anything smaller
constexpr int kHelpShown = -1;  // parse_preview_args printed the usage: nothing to do

constexpr const char* kUsage =
    "usage: lftm preview FILE OUT.jpg [--size WxH] [--tiff-linear|--tiff-gamma] [--verbose] "
    "[--log FILE] [--overwrite]\n";

bool parse_size(const std::string& text, int32_t* width, int32_t* height) {
  char* end = nullptr;
  long w = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || (*end != 'x' && *end != 'X')) return false;
  const char* rest = end + 1;
  long h = std::strtol(rest, &end, 10);
  if (end == rest || *end != '\0') return false;
  if (w < kSmallestSide || h < kSmallestSide || w > 16384 || h > 16384) return false;
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return true;
}

// The largest size inside the box with the image's proportions, never above the image.
void fit_in_box(int32_t width, int32_t height, int32_t* boxW, int32_t* boxH) {
  double scale = std::min(static_cast<double>(*boxW) / width,
                          static_cast<double>(*boxH) / height);
  if (scale > 1.0) scale = 1.0;
  *boxW = std::max(kSmallestSide, static_cast<int32_t>(width * scale + 0.5));
  *boxH = std::max(kSmallestSide, static_cast<int32_t>(height * scale + 0.5));
}

int fail(const std::string& what, int32_t code, const std::string& detail = "") {
  std::fprintf(stderr, "lftm preview: %s\n", failure_line(what, code, detail).c_str());
  return kExitFailed;
}

// Share of the pixels at the ends of the luminance histogram, in percent.
void print_clipping(const std::vector<int32_t>& hist, int32_t pixels) {
  double dark = 100.0 * hist[0] / pixels;
  double bright = 100.0 * hist[255] / pixels;
  std::printf("clipped:  %.1f%% black, %.1f%% white\n", dark, bright);
}

// The size and output given on the command line.
struct PreviewRequest {
  CliOptions options;
  int32_t width = 320;
  int32_t height = 240;
};

// Takes --size out of the arguments and parses the rest. Returns kExitOk to go on,
// kHelpShown, or the exit status after printing the problem.
int parse_preview_args(const std::vector<std::string>& args, PreviewRequest* request) {
  std::string foreign = first_foreign_option(
      args, {"--tiff-linear", "--tiff-gamma", "-v", "--verbose", "-h", "--help", "--overwrite"},
      {"--size", "--log"});
  if (!foreign.empty()) {
    std::fprintf(stderr, "lftm preview: %s is not an option of preview\n%s", foreign.c_str(),
                 kUsage);
    return kExitUsage;
  }
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (!parse_size(args[++i], &request->width, &request->height)) {
        std::fprintf(stderr, "lftm preview: --size takes WxH, each from 5 to 16384\n");
        return kExitUsage;
      }
    } else {
      rest.push_back(args[i]);
    }
  }
  CliOptions& options = request->options;
  std::string problem = parse_options(rest, &options);
  if (problem.empty() && options.help) {
    std::printf("%s", kUsage);
    return kHelpShown;
  }
  if (problem.empty() && options.positionals.size() != 2) problem = "give FILE and OUT.jpg";
  if (problem.empty() && lower_extension(options.positionals[1]) != "jpg") {
    problem = "the preview is a JPEG: name it .jpg";
  }
  if (!problem.empty()) {
    std::fprintf(stderr, "lftm preview: %s\n%s", problem.c_str(), kUsage);
    return kExitUsage;
  }
  return kExitOk;
}

// The Range Squeezer with its default settings on one thread, as a host previews.
lftm_options preview_run() {
  lftm_options run;
  lftm_options_init(&run, sizeof run, LFTM_METHOD_RANGE_SQUEEZER);
  run.threads = 1;
  run.messages = LFTM_MESSAGES_STANDARD;  // the library's lines go where the tool routes them
  run.overwrite = 1;  // the target was checked with --overwrite before any work
  return run;
}

// Renders the quick view, writes it and reports its size and clipping.
int render_and_write(const lftm_photo* photo, const SourceImage& image,
                     const std::string& outPath) {
  lftm_photo_info info;
  info.struct_size = sizeof info;
  lftm_photo_get_info(photo, 0, &info);
  const lftm_options run = preview_run();
  std::vector<uint8_t> out(static_cast<size_t>(info.width) * info.height * info.channels);
  lftm_image view;
  lftm_image_init(&view, sizeof view, LFTM_SAMPLE_UINT8, info.channels, info.width,
                  info.height, out.data());
  int32_t result = lftm_photo_render(photo, &run, &view);
  if (result < 0) return fail(image.path, result);
  std::vector<int32_t> hist(1024, 0);
  histo4preview(info.width, info.height, info.channels, out.data(), hist.data());
  result = lftm_write_image(outPath.c_str(), &view, &run);
  if (result < 0) return fail(outPath, result);
  std::printf("preview:  %s, %d x %d from %d x %d\n", outPath.c_str(), info.width,
              info.height, image.width, image.height);
  print_clipping(hist, info.width * info.height);
  return kExitOk;
}

// Reads the file's quick view at the box's size and makes the preview of it.
int make_preview(const PreviewRequest& request) {
  const std::string& path = request.options.positionals[0];
  SourceImage image;
  int32_t result = probe_image(path, request.options.tiff, &image);
  if (result < 0) return fail(path, result, image.detail);
  if (image.width < kSmallestSide || image.height < kSmallestSide) {
    return fail(path, LFTM_ERR_TOO_SMALL);
  }
  int32_t width = request.width, height = request.height;
  fit_in_box(image.width, image.height, &width, &height);
  lftm_photo* photo = nullptr;
  result = open_reduced_photo(&image, request.options.tiff, width, height, &photo);
  if (result < 0) return fail(path, result, image.detail);
  PhotoCloser closer(photo);
  return render_and_write(photo, image, request.options.positionals[1]);
}

}  // namespace

int run_preview(const std::vector<std::string>& args) {
  PreviewRequest request;
  const int parsed = parse_preview_args(args, &request);
  if (parsed != kExitOk) return parsed == kHelpShown ? kExitOk : parsed;
  const CliOptions& options = request.options;
  DiagRouting routing;
  if (!routing.start(options.diag, options.logPath, false)) return kExitUsage;
  // The JPEG is written beside its name and renamed when whole; a name that must not be
  // replaced fails before the image is read.
  const std::string refused = check_image_target(options.positionals[1], options.overwrite);
  if (!refused.empty()) {
    std::fprintf(stderr, "lftm preview: %s\n", refused.c_str());
    return kExitUsage;
  }
  return make_preview(request);
}

}  // namespace lftm_cli
