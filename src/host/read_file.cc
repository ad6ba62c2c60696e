// SPDX-License-Identifier: BSD-3-Clause
// lftm_read_info and lftm_read_image: an HDR file's kind, size and statistics, and its pixels
// as linear floats, read by the drivers' readers.
#include <cmath>
#include <cstring>
#include <vector>

#include "frame/squeezer_tiff_input.h"
#include "host/file_format.h"
#include "host/host_call.h"
#include "host/host_pixels.h"
#include "host/host_records.h"
#include "host/luminance_range.h"
#include "platform/heap_buffer.h"
#include "platform/run_context.h"
#include "platform/sizes.h"

namespace lftm {
namespace {

// A file's pixels as the drivers read them: RGBE planar bytes, or interleaved 16-bit samples.
struct FilePixels {
  FileProbe probe;
  HeapBuffer<uint8_t> bytes;
  bool rgbe() const { return doc_type_for(probe.kind) == LFTM_DOC_RGBE; }
  int32_t width() const { return probe.info.infos[LFTM_INFO_WIDTH]; }
  int32_t height() const { return probe.info.infos[LFTM_INFO_HEIGHT]; }
};

int32_t read_pixels(const char* path, SiblingSet* siblings, FilePixels* pixels) {
  size_t bytes = 0;
  const FileProbe& p = pixels->probe;
  if (!image_bytes(p.kind, pixels->width(), pixels->height(), p.spp, &bytes)) {
    return LFTM_ERR_TOO_LARGE;
  }
  if (!pixels->bytes.allocate(bytes)) return LFTM_ERR_NO_MEMORY;
  float work[4];
  const int32_t read = read_image(p.kind, *siblings, path, p.info, p.spp, work,
                                  pixels->bytes.get());
  return read < 0 ? LFTM_ERR_READ : 0;
}

int32_t format_code(const FileProbe& probe) {
  switch (probe.format) {
    case FileFormat::kRadiance: return LFTM_FORMAT_RADIANCE;
    case FileFormat::kOpenExr: return LFTM_FORMAT_OPENEXR;
    default: return probe.kind == kExtTiffFloat ? LFTM_FORMAT_TIFF_FLOAT : LFTM_FORMAT_TIFF_16;
  }
}

// 16-bit samples as the linear values the statistics measure: decoded and levelled as the
// Range Squeezer driver does.
std::vector<float> levelled_values(const FilePixels& pixels) {
  const size_t count = static_cast<size_t>(pixels.width()) * pixels.height() * pixels.probe.spp;
  std::vector<float> linear(count);
  squeezer_input_from_tiff(pixels.probe.extType,
                           reinterpret_cast<const uint16_t*>(pixels.bytes.get()),
                           pixels.width(), pixels.height(), pixels.probe.spp, linear.data());
  return linear;
}

void fill_stats(const FilePixels& pixels, lftm_file_info* info) {
  LuminanceRange range;
  if (pixels.rgbe()) {
    range = measure_rgbe(pixels.bytes.get(), pixels.width(), pixels.height());
  } else {
    const std::vector<float> linear = levelled_values(pixels);
    range = measure_linear(linear.data(), linear.size(), pixels.probe.spp);
  }
  if (range.count == 0) return;  // no pixel has light: nothing to measure
  info->has_stats = 1;
  info->log_min = range.logMin;
  info->log_max = range.logMax;
  info->log_mean = range.logMean;
  info->lum_min = std::exp(range.logMin);
  info->lum_max = std::exp(range.logMax);
  info->lum_geomean = std::exp(range.logMean);
}

int32_t read_info(const char* path, lftm_file_info* info, bool wantStats) {
  SiblingSet siblings;
  FilePixels pixels;
  const int32_t probed = probe_file(path, 0, &siblings, &pixels.probe);
  if (probed < 0) return probed;
  const FileProbe& p = pixels.probe;
  lftm_file_info filled;
  std::memset(&filled, 0, sizeof filled);
  filled.struct_size = sizeof filled;
  filled.format = format_code(p);
  filled.width = pixels.width();
  filled.height = pixels.height();
  filled.channels = p.fileChannels;
  filled.file_bits = p.fileBits;
  filled.ext_type = p.extType;
  if (wantStats) {
    const int32_t read = read_pixels(path, &siblings, &pixels);
    if (read < 0) return read;
    fill_stats(pixels, &filled);
  }
  *info = filled;
  return 0;
}

// Interleaved 16-bit samples as linear light 0..1 (gamma-encoded files through 2.2), grey
// repeated into the three channels.
void decode_samples_to_host(const FilePixels& pixels, const ImageView& out) {
  const size_t w = static_cast<size_t>(pixels.width());
  const size_t spp = static_cast<size_t>(pixels.probe.spp);
  const double gamma = pixels.probe.extType == LFTM_EXT_TIF_GAMMA ? 2.2 : 1.0;
  const uint16_t* samples = reinterpret_cast<const uint16_t*>(pixels.bytes.get());
  std::vector<float> row(3 * w);
  for (int64_t y = 0; y < out.height; ++y) {
    const uint16_t* src = samples + static_cast<size_t>(y) * w * spp;
    for (size_t x = 0; x < w; ++x) {
      for (size_t k = 0; k < 3; ++k) {
        const uint16_t s = src[x * spp + (spp == 1 ? 0 : k)];
        row[3 * x + k] = static_cast<float>(std::pow(s / 65535.0, gamma));
      }
    }
    std::memcpy(out.row(y), row.data(), row.size() * sizeof(float));
  }
}

int32_t read_into(const char* path, const ImageView& out) {
  SiblingSet siblings;
  FilePixels pixels;
  int32_t result = probe_file(path, 0, &siblings, &pixels.probe);
  if (result < 0) return result;
  if (out.width != pixels.width() || out.height != pixels.height()) return LFTM_ERR_ARGUMENT;
  {
    ProgressPhase phase(0.0, 0.9, "reading the image");
    result = read_pixels(path, &siblings, &pixels);
    if (result < 0) return result;
  }
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  ProgressPhase phase(0.9, 1.0, "decoding");
  if (pixels.rgbe()) {
    decode_rgbe_to_host(pixels.bytes.get(), out);
  } else {
    decode_samples_to_host(pixels, out);
  }
  return 0;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_read_info(const char* path, lftm_file_info* info, int32_t want_stats) {
  if (path == nullptr || info == nullptr || info->struct_size < sizeof(lftm_file_info)) {
    return LFTM_ERR_ARGUMENT;
  }
  lftm::HostCall call(nullptr);
  return call.finish(lftm::read_info(path, info, want_stats != 0));
}

extern "C" int32_t lftm_read_image(const char* path, lftm_image* output,
                                   const lftm_options* options) {
  int32_t checked = lftm::check_call_hooks(options);
  lftm::ImageView out;
  if (checked == 0) checked = lftm::view_image(output, &out);
  if (checked == 0 && (path == nullptr || out.sampleType != LFTM_SAMPLE_FLOAT32 ||
                       out.channels != 3)) {
    checked = LFTM_ERR_ARGUMENT;
  }
  if (checked < 0) return checked;
  lftm::HostCall call(options);
  return call.finish(lftm::read_into(path, out));
}
