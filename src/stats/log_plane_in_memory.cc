// SPDX-License-Identifier: BSD-3-Clause
// Level-0 log-luminance plane of stage 1 from an image held in memory, with the geometric
// mean and extremes of the luminance.
#include <cstdint>
#include <cstring>

#include "platform/diag.h"
#include "platform/sizes.h"
#include "platform/workers.h"
#include "stats/log_accumulator.h"
#include "stats/log_luminance.h"
#include "stats/pixel_luminance.h"
#include "stats/rgbe_row_logs.h"

namespace lftm {
namespace {

// The working area (W0 x H0 of the image, W x H of the plane) and the source layout.
struct Area {
  int width;      // source pixels per row
  int W0, H0;     // pixels converted
  int W, H;       // plane size; the rest is padding
  size_t rowAdvance;  // samples from one interleaved source row to the next
  int spp;
};

void report_no_luminance(int k, int j, size_t index) {
  diag_out("calc_tm0   tresPetit at  %d , %d   ipts: %d\n", k, j, static_cast<int>(index));
}

// The logs of RGBE planar rows [first, first + rows): a pixel without light (exponent 0, or
// zero mantissas) gets a marker. The padding is left to the ordered pass.
void rgbe_log_rows(const Area& a, const float* expTable, const uint8_t* data, int first,
                   int rows, float* plane) {
  const size_t w = static_cast<size_t>(a.width);
  for (int j = first; j < first + rows; ++j) {
    rgbe_row_logs(data + 4 * w * j, w, a.W0, expTable, plane + static_cast<size_t>(a.W) * j);
  }
}

// RGBE planar rows: the logs on up to `threads` workers, then in pixel order the statistics,
// the report of each pixel without light and the padding, which repeats the running value v:
// the last value logged, or the marker after a pixel whose mantissas are zero (an exponent of
// 0 leaves it as it was).
int rgbe_plane(const Area& a, const float* expTable, const uint8_t* data, float* plane,
               LogAccumulator* acc, int threads) {
  const int bands = clamp_workers(threads) < a.H0 ? clamp_workers(threads) : a.H0;
  run_tiles(bands, [&](int t) {
    const RowBand band = tile_rows(t, bands, a.H0);
    rgbe_log_rows(a, expTable, data, band.first, band.rows, plane);
  });
  int noLuminance = 0;
  // Until a pixel has been logged the padding is a marker too, patched with the others.
  float v = kNoLuminance;
  const size_t w = static_cast<size_t>(a.width);
  for (int j = 0; j < a.H0; ++j) {
    const uint8_t* exponents = data + 4 * w * j + 3 * w;
    float* out = plane + static_cast<size_t>(a.W) * j;
    for (int k = 0; k < a.W0; ++k) {
      if (!is_marker(out[k])) {
        v = out[k];
        acc->add(v);
        continue;
      }
      if (exponents[k] != 0) v = kNoLuminance;
      ++noLuminance;
      report_no_luminance(k, j, out + k - plane);
    }
    for (int k = a.W0; k < a.W; ++k) out[k] = v;
  }
  return noLuminance;
}

// Interleaved 16-bit (withStats) or 8-bit samples through lut. Luminance below 1 is raised
// to 1, so every pixel has a log value and no marker is written.
template <typename Sample>
void sample_plane(const Area& a, bool withStats, const float* lut, const Sample* data,
                  float* plane, LogAccumulator* acc) {
  const ChannelOffsets off(a.spp);
  const int rowEvery = a.H0 >> 2;
  const int colEvery = a.W0 >> 2;
  for (int j = 0; j < a.H0; ++j) {
    const Sample* s = data + a.rowAdvance * j;
    float* out = plane + static_cast<size_t>(a.W) * j;
    float v = 0.0f;
    for (int k = 0; k < a.W0; ++k, s += a.spp) {
      const float r = lut[s[0]];
      const float g = lut[s[off.green]];
      const float b = lut[s[off.blue]];
      float lum = withStats ? luminance_single(r, g, b) : luminance_8bit(r, g, b);
      if (lum < 1.0f) lum = 1.0f;
      v = log_as_float(lum);
      out[k] = v;
      if (!withStats) continue;
      acc->add(v);
      if (j % rowEvery == 0 && k % colEvery == 0) {
        diag_out("%d  %d    %1.2f %1.2f %1.2f   %1.2f  %d, %d\n", s[0], s[0] >> 8, r, g, b, lum,
                 k, j);
      }
    }
    for (int k = a.W0; k < a.W; ++k) out[k] = v;
  }
}

// Replaces every marker of the W x H plane by the mean log value, or by the running minimum
// when no pixel was valid, and reports each one.
void patch_with_mean(const Area& a, const LogAccumulator& acc, float* plane) {
  const float value = no_light_value(acc);
  const size_t n = static_cast<size_t>(a.W) * a.H;
  for (size_t i = 0; i < n; ++i) {
    if (!is_marker(plane[i])) continue;
    plane[i] = value;
    diag_out("calc_tm0   tresPetit at  %d   replaced by   %1.4f\n", static_cast<int>(i), value);
  }
}

}  // namespace

int log_plane_in_memory(int docType, int spp, int width, int height, int rowStride, int W0, int H0,
                        int W, int H, LumStats* stats, const float* expTable, const float* lut,
                        const void* data, float* plane, int threads) {
  if (docType < 0) return 1;
  if (W0 < 10 || H0 < 10) return LFTM_ERR_FILE;
  if (docType > LFTM_DOC_U8) return kUnsupportedLayout;
  // The image must cover the converted area and the plane must hold it with its padding.
  size_t planeFloats;
  if (width < W0 || height < H0 || W < W0 || H < H0 || !checked_product(W, H, 1, &planeFloats))
    return LFTM_ERR_FILE;

  Area a{width, W0, H0, W, H, 0, spp};
  if (docType != LFTM_DOC_RGBE) {
    if (spp < 1) return LFTM_ERR_FILE;
    // Each source row starts rowStride - width x spp samples after the end of the W0 pixels
    // read from the previous one.
    const int64_t advance = static_cast<int64_t>(rowStride) - static_cast<int64_t>(width) * spp +
                            static_cast<int64_t>(W0) * spp;
    if (advance < 0) return LFTM_ERR_FILE;
    a.rowAdvance = static_cast<size_t>(advance);
  }

  LogAccumulator acc;
  int noLuminance = 0;
  if (docType == LFTM_DOC_RGBE) {
    noLuminance =
        rgbe_plane(a, expTable, static_cast<const uint8_t*>(data), plane, &acc, threads);
  } else if (docType == LFTM_DOC_U16) {
    sample_plane(a, true, lut, static_cast<const uint16_t*>(data), plane, &acc);
  } else {
    sample_plane(a, false, lut, static_cast<const uint8_t*>(data), plane, &acc);
  }

  const size_t rowFloats = static_cast<size_t>(W);
  const float* lastRow = plane + rowFloats * (H0 - 1);
  for (int j = H0; j < H; ++j) std::memcpy(plane + rowFloats * j, lastRow, rowFloats * 4);

  if (docType == LFTM_DOC_U8) return H;
  close_lum_stats(acc, stats);
  if (docType == LFTM_DOC_RGBE) {
    if (noLuminance > 0) patch_with_mean(a, acc, plane);
    const int pixels = W0 * H0;
    diag_out("-- minMaxMoy: %1.4f  %1.3f   %1.4f   lumParam %1.3f %1.3f  cntDiff=%d  "
             "ctnPetit=%d  %1.2f\n",
             acc.min, acc.max, acc.mean(), stats->lumMoy, stats->lumMaxRatio,
             static_cast<int>(acc.count - pixels), noLuminance, noLuminance * 100.0 / pixels);
  }
  return H;
}

}  // namespace lftm
