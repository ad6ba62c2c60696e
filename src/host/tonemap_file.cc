// lftm_tonemap_file: the one run (the method of tonemap or tms) on a file whose kind is found
// by its content, into a JPEG or TIFF file chosen by the output name, with the writer
// arguments of the command-line tool, so that both write the same file.
#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <string>

#include "host/file_format.h"
#include "host/host_call.h"
#include "host/host_records.h"
#include "platform/memory_budget.h"
#include "run/run_request.h"

namespace lftm {
namespace {

bool ends_with_jpeg_name(const char* path) {
  std::string name(path);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto ends = [&name](const char* suffix) {
    const size_t n = std::strlen(suffix);
    return name.size() >= n && name.compare(name.size() - n, n, suffix) == 0;
  };
  return ends(".jpg") || ends(".jpeg");
}

// True when `outPath` exists and is the file `inPath` names (the same device and inode, so
// hard and symbolic links are caught too): writing it would replace the photograph.
bool is_same_file(const char* inPath, const char* outPath) {
  struct stat in, out;
  if (stat(inPath, &in) != 0 || stat(outPath, &out) != 0) return false;
  return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

int32_t tonemap_file(const char* inPath, const char* outPath, const lftm_options& options) {
  FileProbe probe;
  {
    SiblingSet siblings;
    const int32_t probed = probe_file(inPath, options.tiff_input, &siblings, &probe);
    if (probed < 0) return probed;
  }
  const int32_t scratchFolder = check_scratch_folder(options);
  if (scratchFolder < 0) return scratchFolder;
  const bool jpeg = ends_with_jpeg_name(outPath);
  const bool booster = options.method == LFTM_METHOD_TEXTURE_BOOSTER;
  RunRequest request;
  request.source = file_source(probe.extType, inPath);
  // Checked again at the rename: a file may have taken the name during the run.
  request.sink = file_sink(outPath, jpeg ? WriterKind::kJpeg : WriterKind::kTiff,
                           overwrite_of(&options) != 0 ? Replace::kRegularFiles
                                                       : Replace::kOwnOutputs);
  request.method = booster ? LFTM_METHOD_TEXTURE_BOOSTER : LFTM_METHOD_RANGE_SQUEEZER;
  request.params = &options.settings;
  request.bits = jpeg ? 8 : options.bits;
  request.threads = worker_count(options.threads);
  request.disk = booster && options.disk != 0 ? 1 : 0;
  request.memoryLimit = memory_limit_of(&options);
  request.memoryBudget = memory_budget_for(request.memoryLimit);
  request.save = &options.save;
  request.writer.jpgQual = options.jpeg_quality;
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
  if (lftm::is_same_file(in_path, out_path)) return LFTM_ERR_SAME_FILE;
  checked = lftm_check_output(out_path, nullptr, lftm::overwrite_of(options));
  if (checked < 0) return checked;
  lftm::HostCall call(options);
  return call.finish(lftm::tonemap_file(in_path, out_path, *options));
}
