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
#include "frame/driver_io.h"
#include "image_source.h"
#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "messages.h"
#include "options.h"

namespace lftm_cli {
namespace {

constexpr int32_t kSmallestSide = 5;  // the quick view refuses anything smaller

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

}  // namespace

int run_preview(const std::vector<std::string>& args) {
  std::string foreign = first_foreign_option(
      args, {"--tiff-linear", "--tiff-gamma", "-v", "--verbose", "-h", "--help", "--overwrite"},
      {"--size", "--log"});
  if (!foreign.empty()) {
    std::fprintf(stderr, "lftm preview: %s is not an option of preview\n%s", foreign.c_str(),
                 kUsage);
    return kExitUsage;
  }
  std::vector<std::string> rest;
  int32_t outW = 320, outH = 240;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (!parse_size(args[++i], &outW, &outH)) {
        std::fprintf(stderr, "lftm preview: --size takes WxH, each from 5 to 16384\n");
        return kExitUsage;
      }
    } else {
      rest.push_back(args[i]);
    }
  }
  CliOptions options;
  std::string problem = parse_options(rest, &options);
  if (problem.empty() && options.help) {
    std::printf("%s", kUsage);
    return kExitOk;
  }
  if (problem.empty() && options.positionals.size() != 2) problem = "give FILE and OUT.jpg";
  if (problem.empty() && lower_extension(options.positionals[1]) != "jpg") {
    problem = "the preview is a JPEG: name it .jpg";
  }
  if (!problem.empty()) {
    std::fprintf(stderr, "lftm preview: %s\n%s", problem.c_str(), kUsage);
    return kExitUsage;
  }
  const std::string& path = options.positionals[0];
  DiagRouting routing;
  if (!routing.start(options.diag, options.logPath, false)) return kExitUsage;
  // The JPEG is written beside its name and renamed when whole; a folder that cannot take it
  // fails before the image is read.
  const std::string& outPath = options.positionals[1];
  const std::string refused = check_image_target(outPath, options.overwrite);
  if (!refused.empty()) {
    std::fprintf(stderr, "lftm preview: %s\n", refused.c_str());
    return kExitUsage;
  }
  lftm::StagedOutput target;
  int32_t result = lftm::stage_output(outPath.c_str(), &target);
  if (result < 0) return fail(outPath, result);

  SourceImage image;
  result = probe_image(path, options.tiff, &image);
  if (result < 0) return fail(path, result, image.detail);
  if (image.width < kSmallestSide || image.height < kSmallestSide) {
    return fail(path, LFTM_ERR_TOO_SMALL);
  }
  fit_in_box(image.width, image.height, &outW, &outH);

  // The quick view: RGBE planar bytes for .hdr (straight from the file), .exr and float TIFF,
  // linear floats for other TIFF.
  const int32_t spp = image.format == InputFormat::kTiff ? image.spp : 3;
  std::vector<uint8_t> quickRgbe;
  std::vector<float> quickLinear;
  if (image.format == InputFormat::kRadiance) {
    quickRgbe.resize(4 * static_cast<size_t>(outW) * outH);
    result = qv_from_file(outW, outH, path.c_str(), quickRgbe.data());
  } else {
    result = load_image(path, options.tiff, &image);
    if (result < 0) return fail(path, result, image.detail);
    if (!image.rgbe.empty()) {  // .exr and float TIFF
      quickRgbe.resize(4 * static_cast<size_t>(outW) * outH);
      result = extract_qv(0, image.width, image.height, 3, 3 * image.width, 3 * outW, outW,
                          outH, image.rgbe.data(), quickRgbe.data());
    } else {
      SourceImage quick = image;
      quick.width = outW;
      quick.height = outH;
      quick.samples.assign(static_cast<size_t>(outW) * outH * spp, 0);
      result = extract_qv(1, image.width, image.height, spp, image.width * spp, outW * spp,
                          outW, outH, image.samples.data(), quick.samples.data());
      quickLinear = linear_values(quick);
    }
  }
  if (result < 0) return fail(path, result);

  float expTable[256];
  lftm::build_exp_table(expTable);
  LogStats stats = {0, 0, 0, 0};
  const int32_t isFP = quickLinear.empty() ? 0 : spp;
  const void* pixels = isFP == 0 ? static_cast<const void*>(quickRgbe.data())
                                 : static_cast<const void*>(quickLinear.data());
  logMinMaxMoy(isFP, outW, outH, expTable, pixels, &stats);

  ImageDesc desc;
  init_dim_param(&desc);
  desc.width = outW;
  desc.height = outH;
  desc.spp = spp;
  desc.bits = 8;
  desc.rowSamples = desc.rowStride = outW * spp;
  TmParam params;
  tmparam_default(LFTM_METHOD_RANGE_SQUEEZER, 0, &params);
  const int32_t threads = 1;
  std::vector<uint8_t> out(static_cast<size_t>(outW) * outH * spp);
  result = tm_simple(isFP, &desc, &params, &stats, expTable, &threads,
                     const_cast<void*>(pixels), out.data());
  if (result < 0) return fail(path, result);

  std::vector<int32_t> hist(1024, 0);
  histo4preview(outW, outH, spp, out.data(), hist.data());

  lftm::SiblingSet siblings;
  result = siblings.load_for_run(lftm::default_sibling_names(), true, LFTM_EXT_HDR);
  if (result < 0) return fail(outPath, result);
  HdrFileInfo info = lftm::writer_info(outW, outH, spp, 8, nullptr, false);
  lftm::WriterArgs writerArgs = {90, 0, 0, 0, 0, 0};
  result = lftm::write_output(siblings, outPath.c_str(), &target, info, outW * spp, 1,
                              writerArgs, LFTM_METHOD_RANGE_SQUEEZER, &params, out.data());
  if (result < 0) return fail(outPath, result);
  std::printf("preview:  %s, %d x %d from %d x %d\n", outPath.c_str(), outW,
              outH, image.width, image.height);
  print_clipping(hist, outW * outH);
  return kExitOk;
}

}  // namespace lftm_cli
