// SPDX-License-Identifier: BSD-3-Clause
#include "support/host_runs.h"

#include <algorithm>
#include <cstring>

#include "imageio/rgbe_reader.h"
#include "support/guarded.h"

namespace lftm_test {

namespace {

std::vector<float> exp_table() {
  std::vector<float> table(256);
  lftm::build_exp_table(table.data());
  return table;
}

}  // namespace

BoosterResult run_booster(const RgbePlanar& image, const TmParam& param,
                          const BoosterSetup& setup) {
  BoosterResult r;
  const int w = image.width;
  const int h = image.height;
  ImageDesc desc{w, h, 3, 8, setup.bits, 3 * w, 3 * w, 0, setup.planes};
  TmFiles files{};
  files.threads = setup.threads;
  const std::vector<float> expTable = exp_table();

  PyramidDims dims{};
  r.dims = tm_dim(w, h, &param, &dims);
  if (dims.W0 != w) return r;
  const size_t pyramid = static_cast<size_t>(std::max(dims.total, dims.total2));
  const size_t rgbeBytes = image.bytes.size();

  Guarded<float> raw(std::max(pyramid, (rgbeBytes + 3) / 4));
  std::memcpy(raw.data(), image.bytes.data(), rgbeBytes);
  Guarded<float> buf(pyramid);
  HdrFileInfo info{};
  r.stage1 = calc_tm1(0, &desc, &param, &dims, &r.stats, expTable.data(), nullptr, &info,
                      &files, nullptr, raw.data(), buf.data());
  r.buffersIntact = raw.intact() && buf.intact();
  if (r.stage1 < 0) return r;

  r.stage2 = calc_tm2(desc, dims.coarseW, dims.coarseH, dims.total, dims.rang, &param, files,
                      nullptr, nullptr, buf.data());
  r.buffersIntact = r.buffersIntact && buf.intact();
  if (r.stage2 < 0) return r;

  Guarded<float> lum(static_cast<size_t>(w) * h);
  std::memcpy(lum.data(), buf.data(), lum.size() * sizeof(float));
  Guarded<uint8_t> input(rgbeBytes);
  std::memcpy(input.data(), image.bytes.data(), rgbeBytes);
  const size_t samples = setup.planes == 3 ? static_cast<size_t>(3) * w * h
                                           : static_cast<size_t>(h) * desc.rowStride;
  Guarded<uint8_t> output(samples * (setup.bits / 8));
  r.stage3 = calc_tm3(0, &desc, &param, &r.stats, expTable.data(), nullptr, &files,
                      input.data(), lum.data(), output.data());
  r.buffersIntact = r.buffersIntact && lum.intact() && input.intact() && output.intact();
  r.output = output.contents();
  return r;
}

SqueezerResult run_squeezer(const RgbePlanar& image, const TmParam& param,
                            int threads, bool floats, int bits, int planes) {
  SqueezerResult r;
  const int w = image.width;
  const int h = image.height;
  const size_t pixels = static_cast<size_t>(w) * h;
  const ImageDesc desc{w, h, 3, 8, bits, 3 * w, 3 * w, 0, planes};
  const std::vector<float> expTable = exp_table();

  Guarded<uint8_t> input(floats ? pixels * 3 * sizeof(float) : image.bytes.size());
  if (floats) {
    float* out = reinterpret_cast<float*>(input.data());
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = image.bytes.data() + static_cast<size_t>(4) * w * y;
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 3; ++c) {
          out[(static_cast<size_t>(y) * w + x) * 3 + c] = row[c * w + x] * expTable[row[3 * w + x]];
        }
      }
    }
  } else {
    std::memcpy(input.data(), image.bytes.data(), image.bytes.size());
  }
  const int isFP = floats ? 3 : 0;
  LogStats stats{};
  logMinMaxMoy(isFP, w, h, expTable.data(), input.data(), &stats);

  const size_t samples = planes == 3 ? 3 * pixels : static_cast<size_t>(h) * desc.rowStride;
  Guarded<uint8_t> output(samples * (bits == 16 ? 2 : 1));
  const int32_t workers = threads;
  r.result = tm_simple(isFP, &desc, &param, &stats, expTable.data(), &workers, input.data(),
                       output.data());
  r.buffersIntact = input.intact() && output.intact();
  r.output = output.contents();
  return r;
}

}  // namespace lftm_test
