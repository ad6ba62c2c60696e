// SPDX-License-Identifier: BSD-3-Clause
// lftm_tonemap_image: the one run on pixels a host holds in memory. The pixels are encoded
// into RGBE planar bytes as the OpenEXR reader encodes a file's and handed to the run as
// decoded pixels, so a file's pixels give the samples tonemap or tms would write for that
// file; the samples come back to the host's buffer.
#include <climits>

#include "host/host_call.h"
#include "host/host_pixels.h"
#include "host/host_records.h"
#include "platform/heap_buffer.h"
#include "platform/memory_budget.h"
#include "platform/run_context.h"
#include "platform/sizes.h"
#include "run/run_request.h"

namespace lftm {
namespace {

// Names the host's image where the run prints a file name.
constexpr const char* kMemoryName = "(memory)";

int32_t check_pair(const ImageView& in, const ImageView& out) {
  if (in.sampleType != LFTM_SAMPLE_FLOAT32 || out.sampleType == LFTM_SAMPLE_FLOAT32 ||
      in.width != out.width || in.height != out.height || in.channels != out.channels) {
    return LFTM_ERR_ARGUMENT;
  }
  // The run counts pixels and bytes in 32 bits.
  if (in.width > INT32_MAX || in.height > INT32_MAX) return LFTM_ERR_TOO_LARGE;
  return 0;
}

int32_t tonemap_in_memory(const ImageView& in, const ImageView& out,
                          const lftm_options& options) {
  const int32_t scratchFolder = check_scratch_folder(options);
  if (scratchFolder < 0) return scratchFolder;
  size_t rgbeBytes = 0;
  if (!checked_product(4, in.width, in.height, &rgbeBytes)) return LFTM_ERR_TOO_LARGE;
  HeapBuffer<uint8_t> rgbe;
  if (!rgbe.allocate(rgbeBytes)) return LFTM_ERR_NO_MEMORY;
  DecodedPixels pixels;
  {
    ProgressPhase phase(0.0, 0.03, "taking the pixels");
    const int32_t encoded = encode_host_pixels(in, rgbe.get(), pixels.work);
    if (encoded < 0) return encoded;
  }
  pixels.kind = LFTM_EXT_EXR;
  pixels.width = static_cast<int32_t>(in.width);
  pixels.height = static_cast<int32_t>(in.height);
  pixels.data = rgbe.get();

  const bool booster = options.method == LFTM_METHOD_TEXTURE_BOOSTER;
  RunRequest request;
  request.source = pixel_source(&pixels, kMemoryName);
  request.sink = memory_sink(
      [&](const void* samples) {
        store_host_samples(samples, in, out);
        return 0;
      },
      kMemoryName);
  request.method = booster ? LFTM_METHOD_TEXTURE_BOOSTER : LFTM_METHOD_RANGE_SQUEEZER;
  request.params = &options.settings;
  request.bits = out.sampleType == LFTM_SAMPLE_UINT16 ? 16 : 8;
  request.threads = worker_count(options.threads);
  request.disk = booster && options.disk != 0 ? 1 : 0;
  request.memoryLimit = memory_limit_of(&options);
  request.memoryBudget = memory_budget_for(request.memoryLimit);
  ProgressPhase phase(0.03, 1.0, "tone mapping");
  const int32_t result = run_tone_mapping(request, default_sibling_names());
  return result < 0 ? result : 0;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_tonemap_image(const lftm_image* input, lftm_image* output,
                                      const lftm_options* options) {
  int32_t checked = lftm::check_options(options);
  lftm::ImageView in, out;
  if (checked == 0) checked = lftm::view_image(input, &in);
  if (checked == 0) checked = lftm::view_image(output, &out);
  if (checked == 0) checked = lftm::check_pair(in, out);
  if (checked < 0) return checked;
  lftm::HostCall call(options);
  return call.finish(lftm::tonemap_in_memory(in, out, *options));
}
