// SPDX-License-Identifier: BSD-3-Clause
// The merging functions of the host interface: lftm_merge_options_init, lftm_merge_image,
// lftm_merge_frames and lftm_merge_file, each a thin adapter around merge_bracket.
#include <sys/stat.h>

#include <cstring>
#include <new>

#include "host/host_call.h"
#include "host/host_records.h"
#include "lftm_host.h"
#include "merge/merge_bracket.h"
#include "merge/merge_output.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

int32_t check_merge_options(const lftm_merge_options* merge) {
  if (merge == nullptr) return 0;
  if (merge->struct_size < sizeof(lftm_merge_options)) return LFTM_ERR_ARGUMENT;
  if (merge->response < LFTM_RESPONSE_RECOVER || merge->response > LFTM_RESPONSE_FILE) {
    return LFTM_ERR_ARGUMENT;
  }
  if (merge->response == LFTM_RESPONSE_FILE && merge->response_path == nullptr) {
    return LFTM_ERR_ARGUMENT;
  }
  return 0;
}

MergeReport report_of(const lftm_merge_options* merge) {
  return merge != nullptr ? MergeReport(merge->message, merge->message_size)
                          : MergeReport(nullptr, 0);
}

BracketRequest request_of(const char* const* paths, int32_t count,
                          const lftm_merge_options* merge) {
  BracketRequest request;
  request.paths = paths;
  request.count = count;
  if (merge != nullptr) {
    request.exposures = merge->exposures;
    request.exposureCount = merge->exposure_count;
  }
  return request;
}

// The size of the result, from the frames' headers only.
int32_t measure(const BracketRequest& request, MergeReport* report, lftm_image* output) {
  FrameLibrary library;
  Bracket bracket;
  const int32_t result = check_bracket(request, &library, report, &bracket);
  if (result < 0) return result;
  output->width = bracket.width;
  output->height = bracket.height;
  return 0;
}

int32_t merge_into(const BracketRequest& request, const MergeSettings& settings,
                   const ImageView& out, int threads, MergeReport* report) {
  FrameLibrary library;
  MergedImage merged;
  const int32_t result = merge_bracket(request, settings, threads, &library, report, &merged);
  if (result < 0) return result;
  if (merged.width != out.width || merged.height != out.height) {
    return report->fail(LFTM_ERR_ARGUMENT, "the output is %lldx%lld but the frames are %dx%d",
                        static_cast<long long>(out.width), static_cast<long long>(out.height),
                        merged.width, merged.height);
  }
  const size_t rowBytes = 3 * sizeof(float) * static_cast<size_t>(merged.width);
  for (int y = 0; y < merged.height; ++y) {
    std::memcpy(out.row(y), merged.rgb.data() + 3 * static_cast<size_t>(merged.width) * y,
                rowBytes);
  }
  return save_merged_response(settings, merged, report);
}

bool is_same_file(const char* a, const char* b) {
  struct stat sa, sb;
  if (a == nullptr || stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// What lftm_merge_file refuses before any work: an output of no known kind, one that is a
// frame, one that lftm_check_output refuses.
int32_t check_merge_output(const BracketRequest& request, const char* outPath,
                           const lftm_options& options, MergeReport* report) {
  if (merge_output_of(outPath) == MergeOutput::kUnknown) {
    return report->fail(LFTM_ERR_MERGE_OUTPUT_KIND,
                        "%s: the output must end in .exr, .hdr, .jpg, .jpeg, .tif or .tiff",
                        outPath);
  }
  for (int32_t i = 0; request.paths != nullptr && i < request.count; ++i) {
    if (is_same_file(request.paths[i], outPath)) {
      return report->fail(LFTM_ERR_SAME_FILE, "the output %s is the frame %s; it was not touched",
                          outPath, request.paths[i]);
    }
  }
  const int32_t checked = lftm_check_output(outPath, nullptr, overwrite_of(&options));
  if (checked < 0) return report->fail(checked, "%s: %s", outPath, lftm_strerror(checked, 0));
  return 0;
}

int32_t merge_to_file(const BracketRequest& request, const MergeSettings& settings,
                      const char* outPath, const lftm_options& options, MergeReport* report) {
  FrameLibrary library;
  MergedImage merged;
  const MergeOutput kind = merge_output_of(outPath);
  const bool toneMapped = kind == MergeOutput::kJpeg || kind == MergeOutput::kTiff;
  // Progress runs once from 0 to 1 over the merge and the writing (or tone mapping).
  ProgressPhase phase(0.0, toneMapped ? 0.5 : 0.9, "merging");
  int32_t result =
      merge_bracket(request, settings, worker_count(options.threads), &library, report, &merged);
  if (result < 0) return result;
  phase.move_to(toneMapped ? 0.5 : 0.9, 1.0, toneMapped ? "tone mapping" : "writing");
  result = write_merge_output(merged, kind, outPath, options, &library);
  if (result < 0 && result != LFTM_ERR_CANCELLED) {
    return report->fail(result, "%s cannot be written: %s", outPath, lftm_strerror(result, 0));
  }
  return result < 0 ? result : save_merged_response(settings, merged, report);
}

// lftm_merge_image and lftm_merge_frames: the merge into the host's float buffer, or only its
// size when the buffer has no pixels.
int32_t merge_to_image(const BracketRequest& request, const lftm_merge_options* merge,
                       lftm_image* output, const lftm_options* options) {
  int32_t checked = check_merge_options(merge);
  if (checked == 0 && options != nullptr) checked = check_options(options);
  if (checked == 0 && (output == nullptr || output->struct_size < sizeof(lftm_image))) {
    checked = LFTM_ERR_ARGUMENT;
  }
  if (checked < 0) return checked;
  MergeReport report = report_of(merge);
  HostCall call(options);
  try {
    if (output->pixels == nullptr) return call.finish(measure(request, &report, output));
    ImageView out;
    checked = view_image(output, &out);
    if (checked == 0 && (out.sampleType != LFTM_SAMPLE_FLOAT32 || out.channels != 3)) {
      checked = LFTM_ERR_ARGUMENT;
    }
    if (checked < 0) return call.finish(checked);
    const int threads = worker_count(options != nullptr ? options->threads : 0);
    return call.finish(merge_into(request, merge_settings_of(merge), out, threads, &report));
  } catch (const std::bad_alloc&) {
    return call.finish(report.fail(LFTM_ERR_NO_MEMORY, "not enough memory for the merge"));
  }
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_merge_options_init(lftm_merge_options* merge, size_t struct_size) {
  if (merge == nullptr || struct_size < sizeof(lftm_merge_options)) return LFTM_ERR_ARGUMENT;
  std::memset(merge, 0, sizeof *merge);
  merge->struct_size = sizeof(lftm_merge_options);
  merge->response = LFTM_RESPONSE_RECOVER;
  merge->align = 1;
  return 0;
}

extern "C" int32_t lftm_merge_image(const char* const* paths, int32_t count,
                                    const lftm_merge_options* merge, lftm_image* output,
                                    const lftm_options* options) {
  return lftm::merge_to_image(lftm::request_of(paths, count, merge), merge, output, options);
}

extern "C" int32_t lftm_merge_frames(const lftm_image* frames, int32_t count,
                                     const lftm_merge_options* merge, lftm_image* output,
                                     const lftm_options* options) {
  lftm::BracketRequest request = lftm::request_of(nullptr, count, merge);
  request.images = frames;
  return lftm::merge_to_image(request, merge, output, options);
}

extern "C" int32_t lftm_merge_file(const char* const* paths, int32_t count,
                                   const lftm_merge_options* merge, const char* out_path,
                                   const lftm_options* options) {
  int32_t checked = lftm::check_merge_options(merge);
  if (checked == 0) checked = lftm::check_options(options);
  if (checked == 0 && (out_path == nullptr || (options->bits != 8 && options->bits != 16))) {
    checked = LFTM_ERR_ARGUMENT;
  }
  if (checked < 0) return checked;
  lftm::MergeReport report = lftm::report_of(merge);
  const lftm::BracketRequest request = lftm::request_of(paths, count, merge);
  lftm::HostCall call(options);
  checked = lftm::check_merge_output(request, out_path, *options, &report);
  if (checked < 0) return call.finish(checked);
  try {
    return call.finish(
        lftm::merge_to_file(request, lftm::merge_settings_of(merge), out_path, *options, &report));
  } catch (const std::bad_alloc&) {
    return call.finish(report.fail(LFTM_ERR_NO_MEMORY, "not enough memory for the merge"));
  }
}
