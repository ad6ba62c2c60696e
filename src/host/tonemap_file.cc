// SPDX-License-Identifier: BSD-3-Clause
// lftm_tonemap_file: the one run (the method of tonemap or tms) on a file whose kind is found
// by its content, into a JPEG or TIFF file chosen by the output name, with the writer
// arguments of the command-line tool, so that both write the same file.
#include "host/file_format.h"
#include "host/file_rules.h"
#include "host/host_call.h"
#include "host/host_records.h"
#include "host/run_options.h"

namespace lftm {
namespace {

int32_t tonemap_file(const char* inPath, const char* outPath, const lftm_options& options) {
  FileProbe probe;
  {
    SiblingSet siblings;
    const int32_t probed = probe_file(inPath, options.tiff_input, &siblings, &probe);
    if (probed < 0) return probed;
  }
  const int32_t scratchFolder = check_scratch_folder(options);
  if (scratchFolder < 0) return scratchFolder;
  const bool jpeg = output_format_of(outPath) == LFTM_OUTPUT_JPEG;
  RunRequest request = request_of(options, jpeg);
  request.source = file_source(probe.extType, inPath);
  // Checked again at the rename: a file may have taken the name during the run.
  request.sink = file_sink(outPath, jpeg ? WriterKind::kJpeg : WriterKind::kTiff,
                           replace_of(options));
  const int32_t result = run_tone_mapping(request, default_sibling_names());
  return result < 0 ? result : 0;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_tonemap_file(const char* in_path, const char* out_path,
                                     const lftm_options* options) {
  int32_t checked = lftm::check_options(options);
  if (checked < 0) return checked;
  if (in_path == nullptr || out_path == nullptr ||
      (options->bits != 8 && options->bits != 16)) {
    return LFTM_ERR_ARGUMENT;
  }
  if (lftm::same_existing_file(in_path, out_path)) return LFTM_ERR_SAME_FILE;
  checked = lftm_check_output(out_path, nullptr, lftm::overwrite_of(options));
  if (checked < 0) return checked;
  lftm::HostCall call(options);
  return call.finish(lftm::tonemap_file(in_path, out_path, *options));
}
