// SPDX-License-Identifier: BSD-3-Clause
// lftm_write_image: 8-bit samples of the host written as JPEG or TIFF by the writers the
// drivers use, with the settings embedded and the file renamed into place when whole.
#include <strings.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "frame/driver_io.h"
#include "host/host_call.h"
#include "host/host_records.h"

namespace lftm {
namespace {

// ".jpg" or ".jpeg" in any case, as lftm_tonemap_file chooses its writer.
bool names_jpeg(const char* path) {
  const char* dot = std::strrchr(path, '.');
  if (dot == nullptr || std::strchr(dot, '/') != nullptr) return false;
  return strcasecmp(dot, ".jpg") == 0 || strcasecmp(dot, ".jpeg") == 0;
}

// The view's rows one after another, as the writers take them.
std::vector<uint8_t> packed_rows(const ImageView& view) {
  const size_t rowBytes = static_cast<size_t>(view.width) * view.channels;
  std::vector<uint8_t> packed(rowBytes * static_cast<size_t>(view.height));
  for (int64_t y = 0; y < view.height; ++y) {
    std::memcpy(packed.data() + rowBytes * static_cast<size_t>(y), view.row(y), rowBytes);
  }
  return packed;
}

int32_t write_image(const char* path, const ImageView& view, const lftm_options& options) {
  const bool jpeg = names_jpeg(path);
  SiblingSet siblings;
  int32_t result = siblings.load_for_run(default_sibling_names(), jpeg, LFTM_EXT_HDR);
  if (result < 0) return result;
  StagedOutput target;
  const Replace replace =
      overwrite_of(&options) != 0 ? Replace::kRegularFiles : Replace::kOwnOutputs;
  result = stage_output(path, &target, replace);
  if (result < 0) return result;
  const int32_t w = static_cast<int32_t>(view.width), h = static_cast<int32_t>(view.height);
  const HdrFileInfo info = writer_info(w, h, view.channels, 8, &options.save, false);
  const WriterArgs args = {options.jpeg_quality != 0 ? options.jpeg_quality : 90, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> samples = packed_rows(view);
  result = write_output(siblings, path, &target, info, w * view.channels, 1, args,
                        options.method, &options.settings, samples.data());
  return result < 0 ? result : 0;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_write_image(const char* path, const lftm_image* image,
                                    const lftm_options* options) {
  const int32_t checked = lftm::check_options(options);
  if (checked < 0) return checked;
  lftm::ImageView view;
  if (path == nullptr || lftm::view_image(image, &view) < 0 ||
      view.sampleType != LFTM_SAMPLE_UINT8 || (view.channels != 1 && view.channels != 3)) {
    return LFTM_ERR_ARGUMENT;
  }
  // The writers count rows and the samples of a row in 32 bits.
  if (view.height > INT32_MAX || view.width > INT32_MAX / view.channels) {
    return LFTM_ERR_TOO_LARGE;
  }
  lftm::HostCall call(options);
  try {
    return call.finish(lftm::write_image(path, view, *options));
  } catch (const std::bad_alloc&) {
    return call.finish(LFTM_ERR_NO_MEMORY);
  }
}
