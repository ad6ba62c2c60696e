// SPDX-License-Identifier: BSD-3-Clause
// Drives the three Texture Booster stages in a chain, as a host calls them: a small image
// (10 to 33 pixels a side, sized from the input) in any of the stage-1 layouts, any 20
// settings, 0 to 4 worker threads, caller-supplied or library-allocated work buffers and both
// smoothing modes. Each buffer is allocated at exactly the size the interface asks for, so
// the sanitizer sees any access past it. A stage that refuses the input ends the run.
// Runs are kept short so that a campaign reaches millions of them: such sides still halve
// into pyramids of several levels, the usual solver slider asks for 5 steps instead of 50,
// and inputs asking for deep pyramids or long solves are left out.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "settings/settings_table.h"

namespace {

// Keeps every run fast: pyramids of more floats than this are not worth the time.
constexpr int64_t kMaxPyramidFloats = int64_t{1} << 14;

std::vector<float> make_lut(bool gamma) {
  std::vector<float> lut(65536);
  for (int i = 1; i < 65536; ++i) {
    lut[i] = static_cast<float>(65536.0 * std::pow(i / 65536.0, gamma ? 2.2 : 1.0));
  }
  lut[0] = lut[1];
  return lut;
}

// Both tables are built once: 65536 powers a run would cost more than a small image's stages.
const std::vector<float>& lut_for(bool gamma) {
  static const std::vector<float> linear = make_lut(false);
  static const std::vector<float> gammaEncoded = make_lut(true);
  return gamma ? gammaEncoded : linear;
}

// The linear float image (docType 10) that the RGBE bytes stand for, `spp` samples a pixel.
std::vector<float> rgbe_to_floats(const std::vector<uint8_t>& rgbe, int w, int h, int spp,
                                  const float* expTable) {
  std::vector<float> out(static_cast<size_t>(w) * h * spp);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = rgbe.data() + static_cast<size_t>(4) * w * y;
    for (int x = 0; x < w; ++x) {
      float* px = out.data() + (static_cast<size_t>(y) * w + x) * spp;
      const float e = expTable[row[3 * w + x]];
      for (int s = 0; s < spp; ++s) px[s] = row[(s % 3) * w + x] * e;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lftm_fuzz::FuzzInput in(data, size);
  const int w = in.in_range(10, 24);
  const int h = in.in_range(10, 24);
  const uint8_t layout = in.byte();
  const uint8_t run = in.byte();

  // Stage 1 reads RGBE planar bytes or interleaved 16- or 8-bit samples; stage 3 reads the
  // same image again, or its linear floats.
  static const int kDocType1[] = {0, 0, 1, 2};
  const int doc1 = kDocType1[layout & 3];
  const int doc3 = (layout & 4) != 0 ? LFTM_DOC_FLOAT : doc1;
  const int spp = (layout & 8) != 0 ? 1 : 3;

  ImageDesc desc{};
  desc.width = w;
  desc.height = h;
  desc.spp = spp;
  desc.spare = 8;
  desc.bits = (layout & 16) != 0 ? 16 : 8;
  desc.rowSamples = w * spp;
  desc.rowStride = w * spp;
  desc.bgr = (layout >> 5) & 1;
  desc.planes = (layout & 64) != 0 ? 3 : 0;

  TmFiles files{};
  files.threads = run % 5;
  const bool stage1Work = (run & 8) != 0;
  const bool stage2Work = (run & 16) != 0;

  TmParam usual;
  tmparam_default(1, 0, &usual);
  if ((run & 32) != 0) usual.tmParam[lftm::kBoosterSmoothingMode] = 0.0f;  // Light
  usual.tmParam[lftm::kBoosterSmoothingSlider] = lftm_fuzz::kQuickSmoothingSlider;
  TmParam param = lftm_fuzz::fuzz_settings(&in, usual);

  float expTable[256];
  lftm::build_exp_table(expTable);
  const std::vector<float>& lut = lut_for((run & 64) != 0);

  // The image: RGBE planar bytes, and the interleaved samples stage 1 may read instead.
  std::vector<uint8_t> rgbe(static_cast<size_t>(4) * w * h);
  in.fill(rgbe.data(), rgbe.size());
  const size_t samples = static_cast<size_t>(w) * h * spp;
  std::vector<uint8_t> image;
  if (doc1 == 0) {
    image = rgbe;
  } else {
    const size_t sampleBytes = doc1 == 1 ? 2 : 1;
    image.resize(samples * sampleBytes);
    for (size_t i = 0; i < samples; ++i) {
      const uint8_t b = rgbe[i % rgbe.size()];
      if (doc1 == 1) {
        const uint16_t v = static_cast<uint16_t>(b * 257 ^ rgbe[(i * 7) % rgbe.size()]);
        std::memcpy(image.data() + 2 * i, &v, 2);
      } else {
        image[i] = b;
      }
    }
  }

  PyramidDims dims{};
  tm_dim(w, h, &param, &dims);
  if (dims.W0 != w) return 0;  // refused: the stages cannot run
  const int64_t pyramid = dims.total > dims.total2 ? dims.total : dims.total2;
  if (pyramid > kMaxPyramidFloats || lftm_fuzz::slow_booster_run(param, dims)) return 0;

  // Stage 1: `raw` holds the image and then the log-luminance pyramid.
  const size_t rawFloats =
      std::max(static_cast<size_t>(pyramid), (image.size() + 3) / 4);
  std::vector<float> raw(rawFloats);
  std::memcpy(raw.data(), image.data(), image.size());
  std::vector<float> buf(static_cast<size_t>(pyramid));
  std::vector<float> work;
  if (stage1Work) {
    const size_t level1 = static_cast<size_t>((w + 1) / 2) * ((h + 1) / 2);
    work.resize(std::max<size_t>(65536, level1 + 3 * static_cast<size_t>(w)));
  }
  LumStats stats{};
  HdrFileInfo info{};
  const int r1 = calc_tm1(doc1, &desc, &param, &dims, &stats, expTable, lut.data(), &info,
                          &files, stage1Work ? work.data() : nullptr, raw.data(), buf.data());
  if (r1 < 0) return 0;

  // Stage 2: right-hand sides in, the linear luminance plane out at the start of `buf`.
  std::vector<float> work1, work2;
  if (stage2Work) {
    work1.resize(static_cast<size_t>(3) * w * h);
    work2.resize(static_cast<size_t>(w) * h);
  }
  const int r2 = calc_tm2(desc, dims.coarseW, dims.coarseH, dims.total, dims.rang, &param,
                          files, stage2Work ? work1.data() : nullptr,
                          stage2Work ? work2.data() : nullptr, buf.data());
  if (r2 < 0) return 0;

  // Stage 3 on the same image (or its linear floats) and a copy of the plane.
  const std::vector<float> plane(buf.begin(), buf.begin() + static_cast<size_t>(w) * h);
  std::vector<float> floats;
  const void* input = image.data();
  if (doc3 == LFTM_DOC_FLOAT) {
    floats = rgbe_to_floats(rgbe, w, h, spp, expTable);
    input = floats.data();
  }
  const size_t outSamples = desc.planes == 3 ? static_cast<size_t>(3) * w * h
                                              : static_cast<size_t>(h) * desc.rowStride;
  auto finish = [&](const TmFiles& run3, std::vector<uint8_t>* output) {
    std::vector<float> lum = plane;  // normalised in place
    output->assign(outSamples * (desc.bits / 8), 0);
    return calc_tm3(doc3, &desc, &param, &stats, expTable, lut.data(), &run3, input,
                    lum.data(), output->data());
  };
  std::vector<uint8_t> tiled;
  const int r3 = finish(files, &tiled);
  // Tiles finish the same pixels as one pass (a grey pixel holds one sample, so planar grey
  // output of a colour image is compared only within one pass).
  if (files.threads >= 2 && !(desc.planes == 3 && spp == 1)) {
    TmFiles single = files;
    single.threads = 1;
    std::vector<uint8_t> whole;
    const int r3single = finish(single, &whole);
    if ((r3 >= 0) != (r3single >= 0)) abort();
    if (r3 >= 0 && tiled != whole) abort();
  }
  return 0;
}
