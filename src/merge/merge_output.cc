// SPDX-License-Identifier: BSD-3-Clause
#include "merge/merge_output.h"

#include <cctype>
#include <string>

#include "host/host_pixels.h"
#include "host/host_records.h"
#include "host/run_options.h"
#include "merge/radiance_file.h"
#include "platform/heap_buffer.h"
#include "platform/staged_output.h"
#include "run/run_request.h"

namespace lftm {
namespace {

// Names the merge where the run prints an input file's name.
constexpr const char* kMergeName = "(merge)";

int32_t staging_code(int staged) {
  switch (staged) {
    case 0: return 0;
    case kStagingNotFile: return LFTM_ERR_OUTPUT_NOT_FILE;
    case kStagingReadOnly: return LFTM_ERR_OUTPUT_READ_ONLY;
    case kStagingForeign: return LFTM_ERR_OUTPUT_EXISTS;
    default: return LFTM_ERR_WRITER_CREATE;
  }
}

// The merge as the stages read it: RGBE planar bytes made by the host's encoder, which is
// the OpenEXR reader's, so that they equal what reading the merge's .exr gives.
int32_t encode_merge(const MergedImage& merged, HeapBuffer<uint8_t>* rgbe, DecodedPixels* px) {
  if (!rgbe->allocate(4 * static_cast<size_t>(merged.width) * merged.height)) {
    return LFTM_ERR_NO_MEMORY;
  }
  ImageView view;
  view.width = merged.width;
  view.height = merged.height;
  view.channels = 3;
  view.sampleType = LFTM_SAMPLE_FLOAT32;
  view.sampleBytes = sizeof(float);
  view.stride = 3 * sizeof(float) * static_cast<size_t>(merged.width);
  view.pixels = reinterpret_cast<uint8_t*>(const_cast<float*>(merged.rgb.data()));
  px->kind = LFTM_EXT_EXR;
  px->width = merged.width;
  px->height = merged.height;
  px->data = rgbe->get();
  return encode_host_pixels(view, rgbe->get(), px->work);
}

int32_t write_exr(const MergedImage& merged, const char* path, const lftm_options& options,
                  FrameLibrary* library) {
  if (!library->load_exr_writer()) return LFTM_ERR_MERGE_LIBRARY;
  StagedOutput out;
  int32_t result = staging_code(out.create(path, ".exr", replace_of(options)));
  if (result < 0) return result;
  result = library->write_exr(out.path(), merged.width, merged.height, merged.rgb.data(),
                              worker_count(options.threads));
  return result < 0 ? result : staging_code(out.commit());
}

int32_t write_radiance(const MergedImage& merged, const char* path, const lftm_options& options) {
  HeapBuffer<uint8_t> rgbe;
  DecodedPixels pixels;
  int32_t result = encode_merge(merged, &rgbe, &pixels);
  if (result < 0) return result;
  StagedOutput out;
  if ((result = staging_code(out.create(path, ".hdr", replace_of(options)))) < 0) return result;
  result = write_radiance_file(out.path(), rgbe.get(), merged.width, merged.height);
  return result < 0 ? result : staging_code(out.commit());
}

// As lftm_tonemap_file runs a file, with the merge's pixels as the source.
int32_t write_tone_mapped(const MergedImage& merged, bool jpeg, const char* path,
                          const lftm_options& options) {
  int32_t result = check_scratch_folder(options);
  if (result < 0) return result;
  HeapBuffer<uint8_t> rgbe;
  DecodedPixels pixels;
  if ((result = encode_merge(merged, &rgbe, &pixels)) < 0) return result;
  RunRequest request = request_of(options, jpeg);
  request.source = pixel_source(&pixels, kMergeName);
  request.sink = file_sink(path, jpeg ? WriterKind::kJpeg : WriterKind::kTiff, replace_of(options));
  result = run_tone_mapping(request, default_sibling_names());
  return result < 0 ? result : 0;
}

}  // namespace

MergeOutput merge_output_of(const char* path) {
  std::string name(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || name.find('/', dot) != std::string::npos) {
    return MergeOutput::kUnknown;
  }
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == "exr") return MergeOutput::kExr;
  if (ext == "hdr") return MergeOutput::kRadiance;
  if (ext == "jpg" || ext == "jpeg") return MergeOutput::kJpeg;
  if (ext == "tif" || ext == "tiff") return MergeOutput::kTiff;
  return MergeOutput::kUnknown;
}

int32_t write_merge_output(const MergedImage& merged, MergeOutput kind, const char* path,
                           const lftm_options& options, FrameLibrary* library) {
  switch (kind) {
    case MergeOutput::kExr: return write_exr(merged, path, options, library);
    case MergeOutput::kRadiance: return write_radiance(merged, path, options);
    case MergeOutput::kJpeg: return write_tone_mapped(merged, true, path, options);
    case MergeOutput::kTiff: return write_tone_mapped(merged, false, path, options);
    default: return LFTM_ERR_MERGE_OUTPUT_KIND;
  }
}

}  // namespace lftm
