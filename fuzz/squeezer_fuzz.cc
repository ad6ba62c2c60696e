// SPDX-License-Identifier: BSD-3-Clause
// Drives the Range Squeezer with a small image (up to 64 x 64, sized from the input), RGBE or
// float input, every output layout, any 20 settings, statistics computed from the image or
// taken from the input, and 0 to 4 worker threads. The output buffer has exactly the size the
// interface asks for and is pre-filled, so writes past it or into the row gaps and unused
// samples show; a tiled run must give the same samples as a single pass.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "imageio/rgbe_reader.h"
#include "lftm.h"

namespace {

constexpr uint8_t kUntouched = 0xa5;

struct Output {
  std::vector<uint8_t> bytes;
  int result;
};

Output run_squeezer(int isFP, const ImageDesc& desc, const TmParam& param,
                    const LogStats& stats, const float* expTable, int32_t threads,
                    std::vector<uint8_t> input, size_t outBytes) {
  Output out{std::vector<uint8_t>(outBytes, kUntouched), 0};
  out.result = tm_simple(isFP, &desc, &param, &stats, expTable, &threads, input.data(),
                         out.bytes.data());
  return out;
}

// Interleaved output: the samples of a row past width x spp, and a fourth sample of a pixel,
// belong to the caller and must keep their value.
void check_untouched(const ImageDesc& d, const std::vector<uint8_t>& out) {
  if (d.planes == 3) return;
  const size_t sampleBytes = d.bits == 16 ? 2 : 1;
  for (int y = 0; y < d.height; ++y) {
    for (int s = 0; s < d.rowStride; ++s) {
      const int k = s % d.spp;
      const bool colour = s < d.width * d.spp && (k == 0 || k == (d.spp - 1) / 2 || k == d.spp - 1);
      if (colour) continue;
      const size_t at = (static_cast<size_t>(y) * d.rowStride + s) * sampleBytes;
      for (size_t b = 0; b < sampleBytes; ++b) {
        if (out[at + b] != kUntouched) abort();
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lftm_fuzz::FuzzInput in(data, size);
  ImageDesc d{};
  d.width = in.in_range(1, 64);
  d.height = in.in_range(1, 64);
  const uint8_t layout = in.byte();
  const uint8_t run = in.byte();
  static const int kSpp[] = {3, 1, 4, 3};
  static const int kBits[] = {8, 16, 8, 16, 8, 16, 12, 0};
  d.spp = kSpp[layout & 3];
  d.bits = kBits[(layout >> 2) & 7];
  d.bgr = (layout >> 5) & 1;
  d.planes = (layout & 64) != 0 ? 3 : 0;
  d.rowSamples = d.width * d.spp;
  d.rowStride = d.rowSamples + ((layout & 128) != 0 ? in.in_range(1, 5) : 0);
  const int isFP = (run & 8) != 0 ? d.spp : 0;
  const int threads = run % 5;

  TmParam usual{};
  const TmParam param = lftm_fuzz::fuzz_settings(&in, usual);
  // Statistics as a host may pass them: those of the image, or any four floats.
  constexpr float kFromImage = 12345.5f;
  float statsGiven[4];
  for (float& v : statsGiven) v = (run & 16) != 0 ? in.setting(kFromImage) : kFromImage;

  float expTable[256];
  lftm::build_exp_table(expTable);
  const size_t pixels = static_cast<size_t>(d.width) * d.height;
  std::vector<uint8_t> input;
  if (isFP == 0) {
    input.resize(4 * pixels);
    in.fill(input.data(), input.size());
  } else {
    // Linear values of a photograph: a few decades of positive samples.
    std::vector<uint8_t> bytes(pixels * d.spp);
    in.fill(bytes.data(), bytes.size());
    input.resize(bytes.size() * sizeof(float));
    for (size_t i = 0; i < bytes.size(); ++i) {
      const float v = static_cast<float>(bytes[i] & 0x3f) * (1 << (bytes[i] >> 6) * 4) / 64.0f;
      std::memcpy(input.data() + i * sizeof(float), &v, sizeof v);
    }
  }

  LogStats stats{};
  logMinMaxMoy(isFP, d.width, d.height, expTable, input.data(), &stats);
  float* fields[4] = {&stats.logMin, &stats.logMax, &stats.logMoy, &stats.autoContrast};
  for (int i = 0; i < 4; ++i) {
    if (statsGiven[i] != kFromImage) *fields[i] = statsGiven[i];
  }

  const size_t samples = d.planes == 3 ? 3 * pixels : static_cast<size_t>(d.height) * d.rowStride;
  const size_t outBytes = samples * (d.bits == 16 ? 2 : 1);
  const Output tiled = run_squeezer(isFP, d, param, stats, expTable, threads, input, outBytes);
  if (tiled.result >= 0) check_untouched(d, tiled.bytes);
  // Tiles write interleaved pixels that are then split into planes; a grey pixel holds one
  // sample, so planar grey output of a colour image is compared only within one pass.
  const bool comparable = !(d.planes == 3 && d.spp == 1);
  if (threads >= 2 && comparable) {
    const Output single = run_squeezer(isFP, d, param, stats, expTable, 1, input, outBytes);
    if ((tiled.result >= 0) != (single.result >= 0)) abort();
    if (single.result >= 0 && tiled.bytes != single.bytes) abort();
  }
  return 0;
}
