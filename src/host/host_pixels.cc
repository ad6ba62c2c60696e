// SPDX-License-Identifier: BSD-3-Clause
#include "host/host_pixels.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "imageio/rgbe_encode.h"
#include "imageio/rgbe_reader.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

// Rows between two looks at the cancel flag while the pixels are taken.
constexpr int64_t kRowsPerCheck = 64;

// Samples of one row as floats, whatever the alignment of the host's rows.
void read_float_row(const ImageView& in, int64_t y, std::vector<float>* row) {
  std::memcpy(row->data(), in.row(y), row->size() * sizeof(float));
}

uint32_t alpha_sample(float a, uint32_t maximum) {
  if (!(a > 0.0f)) return 0;  // also NaN
  if (a > 1.0f) a = 1.0f;
  return static_cast<uint32_t>(std::lround(static_cast<double>(a) * maximum));
}

}  // namespace

int32_t encode_host_pixels(const ImageView& in, uint8_t* rgbe, float work[4]) {
  const size_t w = static_cast<size_t>(in.width);
  const size_t c = static_cast<size_t>(in.channels);
  bool stopped = false;
  const RgbeEncodeReport report = encode_rgbe_image(
      static_cast<int>(in.width), rgbe, [&](RgbeRowEncoder* encoder) {
        std::vector<float> samples(w * c);
        std::vector<float> rgb(3 * w);
        for (int64_t y = 0; y < in.height; ++y) {
          if (y % kRowsPerCheck == 0) {
            if (run_cancelled()) {
              stopped = true;
              return;
            }
            run_progress(static_cast<double>(y) / static_cast<double>(in.height));
          }
          read_float_row(in, y, &samples);
          for (size_t x = 0; x < w; ++x) {
            const float* px = &samples[x * c];
            rgb[3 * x] = px[0];
            rgb[3 * x + 1] = c == 1 ? px[0] : px[1];
            rgb[3 * x + 2] = c == 1 ? px[0] : px[2];
          }
          encoder->row(rgb.data(), static_cast<int>(y));
        }
      });
  if (stopped) return LFTM_ERR_CANCELLED;
  write_work(report, work);
  return 0;
}

void store_host_samples(const void* samples, const ImageView& in, const ImageView& out) {
  const size_t w = static_cast<size_t>(out.width);
  const size_t c = static_cast<size_t>(out.channels);
  const bool wide = out.sampleType == LFTM_SAMPLE_UINT16;
  const uint32_t maximum = wide ? 65535 : 255;
  std::vector<float> inputRow(c == 4 ? w * 4 : 0);
  std::vector<uint16_t> row(w * c);
  for (int64_t y = 0; y < out.height; ++y) {
    const size_t first = static_cast<size_t>(y) * w * 3;
    if (c == 4) read_float_row(in, y, &inputRow);
    for (size_t x = 0; x < w; ++x) {
      for (size_t k = 0; k < (c == 1 ? 1 : 3); ++k) {
        const size_t at = first + 3 * x + k;
        row[x * c + k] = wide ? static_cast<const uint16_t*>(samples)[at]
                              : static_cast<const uint8_t*>(samples)[at];
      }
      if (c == 4) {
        row[x * c + 3] = static_cast<uint16_t>(alpha_sample(inputRow[4 * x + 3], maximum));
      }
    }
    uint8_t* dst = out.row(y);
    if (wide) {
      std::memcpy(dst, row.data(), row.size() * sizeof(uint16_t));
    } else {
      for (size_t i = 0; i < row.size(); ++i) dst[i] = static_cast<uint8_t>(row[i]);
    }
  }
}

void decode_rgbe_to_host(const uint8_t* rgbe, const ImageView& out) {
  float expTable[256];
  build_exp_table(expTable);
  const size_t w = static_cast<size_t>(out.width);
  std::vector<float> row(3 * w);
  for (int64_t y = 0; y < out.height; ++y) {
    const uint8_t* src = rgbe + 4 * w * static_cast<size_t>(y);
    for (size_t x = 0; x < w; ++x) {
      const float scale = expTable[src[3 * w + x]];
      for (size_t k = 0; k < 3; ++k) row[3 * x + k] = src[k * w + x] * scale;
    }
    std::memcpy(out.row(y), row.data(), row.size() * sizeof(float));
  }
}

}  // namespace lftm
