// lftm_tonemap_image: the drivers' runs on pixels a host holds in memory. The pixels are
// encoded as the OpenEXR reader encodes a file's and go through the same stages, so a file's
// pixels give the samples tonemap or tms would write for that file.
#include <climits>

#include "frame/drivers.h"
#include "host/host_call.h"
#include "host/host_pixels.h"
#include "host/host_records.h"
#include "platform/heap_buffer.h"
#include "platform/run_context.h"
#include "platform/sizes.h"

namespace lftm {
namespace {

// Names the host's image where the drivers print a file name.
constexpr const char* kMemoryName = "(memory)";

int32_t check_pair(const ImageView& in, const ImageView& out) {
  if (in.sampleType != LFTM_SAMPLE_FLOAT32 || out.sampleType == LFTM_SAMPLE_FLOAT32 ||
      in.width != out.width || in.height != out.height || in.channels != out.channels) {
    return LFTM_ERR_ARGUMENT;
  }
  // The drivers count pixels and bytes in 32 bits.
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
  MemoryIo memory;
  {
    ProgressPhase phase(0.0, 0.03, "taking the pixels");
    const int32_t encoded = encode_host_pixels(in, rgbe.get(), memory.work);
    if (encoded < 0) return encoded;
  }
  memory.rgbe = rgbe.get();
  memory.width = static_cast<int32_t>(in.width);
  memory.height = static_cast<int32_t>(in.height);
  memory.deliver = [&](const void* samples) {
    store_host_samples(samples, in, out);
    return 0;
  };

  const bool booster = options.method == LFTM_METHOD_TEXTURE_BOOSTER;
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = out.sampleType == LFTM_SAMPLE_UINT16 ? 16 : 8;
  TmFiles files;
  init_optim_param(&files);
  files.threads = worker_count(options.threads);
  files.readFromDisk = booster && options.disk != 0 ? 1 : 0;
  files.inFile = kMemoryName;
  DriverCall call = {LFTM_EXT_EXR, &desc,     &options.settings, nullptr, {0, 0, 0, 0, 0, 0},
                     &files,       kMemoryName, &memory};
  ProgressPhase phase(0.03, 1.0, "tone mapping");
  const int32_t result = booster ? run_tonemap(call, default_sibling_names())
                                 : run_tms(call, default_sibling_names());
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
