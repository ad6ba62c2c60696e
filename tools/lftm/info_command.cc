// lftm info FILE...: size, format and log-luminance statistics of HDR images.
#include <cmath>
#include <cstdio>

#include "commands.h"
#include "diag_routing.h"
#include "image_source.h"
#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "messages.h"
#include "options.h"

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

void print_statistics(const LogStats& stats) {
  if (stats.logMin > 1e10f) {
    std::printf("log luminance:  no pixel has any light\n");
    return;
  }
  std::printf("log luminance:  min %.3f  max %.3f  mean %.3f\n", stats.logMin, stats.logMax,
              stats.logMoy);
  std::printf("luminance:      min %.4g  max %.4g  geometric mean %.4g\n",
              std::exp(stats.logMin), std::exp(stats.logMax), std::exp(stats.logMoy));
  std::printf("dynamic range:  %.1f stops\n", (stats.logMax - stats.logMin) / std::log(2.0));
}

int info_one(const std::string& path, TiffEncoding encoding) {
  SourceImage image;
  int32_t result = load_image(path, encoding, &image);
  if (result < 0) {
    std::fprintf(stderr, "lftm: %s: %s (code %d)\n", path.c_str(), describe_code(result),
                 result);
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
  LogStats stats = {0, 0, 0, 0};
  float expTable[256];
  lftm::build_exp_table(expTable);
  if (!image.rgbe.empty()) {
    logMinMaxMoy(0, image.width, image.height, expTable, image.rgbe.data(), &stats);
  } else {
    std::vector<float> linear = linear_values(image);
    logMinMaxMoy(image.spp, image.width, image.height, expTable, linear.data(), &stats);
  }
  print_statistics(stats);
  return kExitOk;
}

}  // namespace

int run_info(const std::vector<std::string>& args) {
  CliOptions options;
  std::string problem = parse_options(args, &options);
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
