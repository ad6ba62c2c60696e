// SPDX-License-Identifier: BSD-3-Clause
// The per-pixel pass of the Range Squeezer. Everything that depends only on the call is
// fixed before the loop (response_curve.h); the power term of the response depends only on
// the pixel's adaptation level, so it is computed once per pixel and shared by the three
// channels. The loop is instantiated per input kind, sample width and colour options so
// that the common case runs without per-pixel tests.
#include <cstddef>
#include <cstdint>

#include "platform/diag.h"
#include "squeezer/chunk_lanes.h"
#include "squeezer/colour.h"
#include "squeezer/response_curve.h"
#include "squeezer/response_lanes.h"
#include "squeezer/tm_simple.h"
#include "platform/run_context.h"
#include "vecmath/vecmath.h"

namespace lftm {
namespace {

// Where the three colour samples of pixel x of row y go: base + y x row + x x step.
template <typename Sample>
struct OutputLayout {
  Sample* red;
  Sample* green;
  Sample* blue;
  ptrdiff_t row;
  ptrdiff_t step;
};

struct InputLayout {
  const uint8_t* rgbe;  // RGBE planar bytes, 4 x width a row
  const float* floats;  // interleaved floats, width x spp a row
  ptrdiff_t spp;
  int red, green, blue;  // channel positions within a float pixel
};

// Output value clamped to [0, ldrMax] and truncated; NaN gives 0.
template <typename Sample>
inline Sample to_sample(float o, float ldrMax) {
  o = o > 0 ? o : 0;
  o = o < ldrMax ? o : ldrMax;
  return static_cast<Sample>(o);
}

// Pixels are taken a chunk at a time through separate passes (read, adaptation level, power,
// response, store) so that each pass is a tight loop the compiler can schedule or vectorise;
// every value goes through exactly the operations of the pixel-by-pixel description.
constexpr int kChunk = 256;

// One chunk of a row on its way through the passes: the channel values as read (after white
// balance, before the exponent), the exponent scale, the power term of the adaptation level
// and the output values.
struct Chunk {
  alignas(64) float rIn[kChunk], gIn[kChunk], bIn[kChunk], unit[kChunk];
  alignas(64) float oR[kChunk], oG[kChunk], oB[kChunk];
  alignas(64) double power[kChunk];
  const uint8_t* exponent;  // RGBE exponents; pixels with exponent 0 are written as 0
  int x0;                   // first column of the chunk
  int n;                    // pixels in the chunk
};

// The passes are inlined into the row loop, which then compiles as one loop nest. Left out of
// line, g++ 12.2 at -O2 drops the call of a pass whose only effect is on the chunk (its mod/ref
// analysis misses the later reads), and the output would be wrong.
#define LFTM_PASS [[gnu::always_inline]] inline

// RGBE planar bytes of row y: the mantissas, the exponent's scale and the black flags.
LFTM_PASS void read_rgbe_chunk(Chunk* ch, const InputLayout& in, ptrdiff_t w, int y,
                     const float* expTable) {
  const uint8_t* mr = in.rgbe + 4 * w * y + ch->x0;
  const uint8_t* mg = mr + w;
  const uint8_t* mb = mr + 2 * w;
  ch->exponent = mr + 3 * w;
  rgbe_mantissas(mr, mg, mb, ch->exponent, expTable, static_cast<size_t>(ch->n), ch->rIn,
                 ch->gIn, ch->bIn, ch->unit);
}

// Interleaved floats of row y, taken from the channel positions of the layout.
LFTM_PASS void read_float_chunk(Chunk* ch, const InputLayout& in, ptrdiff_t w, int y) {
  const float* px = in.floats + y * w * in.spp + ch->x0 * in.spp;
  for (int i = 0; i < ch->n; ++i, px += in.spp) {
    ch->rIn[i] = px[in.red];
    ch->gIn[i] = px[in.green];
    ch->bIn[i] = px[in.blue];
  }
}

// The white balance applied to the channel values as read.
LFTM_PASS void white_balance_chunk(Chunk* ch, const SqueezerCurve& c) {
  const float m00 = c.wb[0][0], m01 = c.wb[0][1], m02 = c.wb[0][2];
  const float m10 = c.wb[1][0], m11 = c.wb[1][1], m12 = c.wb[1][2];
  const float m20 = c.wb[2][0], m21 = c.wb[2][1], m22 = c.wb[2][2];
  for (int i = 0; i < ch->n; ++i) {
    const float r = ch->rIn[i], g = ch->gIn[i], b = ch->bIn[i];
    ch->rIn[i] = m00 * r + m01 * g + m02 * b;
    ch->gIn[i] = m10 * r + m11 * g + m12 * b;
    ch->bIn[i] = m20 * r + m21 * g + m22 * b;
  }
}

// The power term (k A)^e of each pixel, shared by its three channels, with A its adaptation
// level from its luminance; the white balance is applied to the channel values after the
// luminance was taken.
template <bool kRgbe, bool kWhiteBalance>
LFTM_PASS void power_terms(Chunk* ch, const SqueezerCurve& c) {
  const AdaptationScale a{(1 - c.blend) * c.Lav, c.blend, c.k};
  const size_t n = static_cast<size_t>(ch->n);
  adaptation_products(ch->rIn, ch->gIn, ch->bIn, kRgbe ? ch->unit : nullptr, n, a, ch->power);
  if constexpr (kWhiteBalance) white_balance_chunk(ch, c);
  pow_array(ch->power, static_cast<double>(c.e), ch->power, n);
}

// The response of each channel, mapped onto the output range.
template <bool kRgbe>
LFTM_PASS void responses(Chunk* ch, const SqueezerCurve& c) {
  const ResponseScale s{c.ldrMax, c.lo, c.scale};
  const float* unit = kRgbe ? ch->unit : nullptr;
  const size_t n = static_cast<size_t>(ch->n);
  channel_responses(ch->rIn, unit, ch->power, n, s, ch->oR);
  channel_responses(ch->gIn, unit, ch->power, n, s, ch->oG);
  channel_responses(ch->bIn, unit, ch->power, n, s, ch->oB);
}

// Saturation scaled in HSL space, capped at 1.
LFTM_PASS void saturate_chunk(Chunk* ch, const SqueezerCurve& c) {
  const int hslScale = static_cast<int>(c.ldrMax);
  for (int i = 0; i < ch->n; ++i) {
    float o[3] = {ch->oR[i], ch->oG[i], ch->oB[i]};
    float hsl[3];
    rgb_to_hsl(hslScale, o, hsl);
    hsl[1] = hsl[1] * c.satFactor;
    if (hsl[1] > 1) hsl[1] = 1;
    hsl_to_rgb(hslScale, hsl, o);
    ch->oR[i] = o[0];
    ch->oG[i] = o[1];
    ch->oB[i] = o[2];
  }
}

// The sample lines of a probe row: every colPeriod-th pixel that is not black.
template <bool kRgbe>
void print_probes(const Chunk& ch, int y, int colPeriod) {
  for (int i = 0; i < ch.n; ++i) {
    const int x = ch.x0 + i;
    if (x % colPeriod != 0 || (kRgbe && ch.exponent[i] == 0)) continue;
    diag_out("in:  %1.2f  %1.2f  %1.2f    out: %1.2f  %1.2f  %1.2f  %d,%d\n", ch.rIn[i],
             ch.gIn[i], ch.bIn[i], ch.oR[i], ch.oG[i], ch.oB[i], x, y);
  }
}

template <typename Sample, bool kRgbe>
LFTM_PASS void store_chunk(const Chunk& ch, const OutputLayout<Sample>& out, int y,
                           float ldrMax) {
  const ptrdiff_t step = out.step;
  Sample* outR = out.red + y * out.row + ch.x0 * step;
  Sample* outG = out.green + y * out.row + ch.x0 * step;
  Sample* outB = out.blue + y * out.row + ch.x0 * step;
  for (int i = 0; i < ch.n; ++i) {
    const bool keep = !kRgbe || ch.exponent[i] != 0;
    // Written in this order so that a one-sample pixel keeps the blue result.
    outR[i * step] = keep ? to_sample<Sample>(ch.oR[i], ldrMax) : 0;
    outG[i * step] = keep ? to_sample<Sample>(ch.oG[i], ldrMax) : 0;
    outB[i * step] = keep ? to_sample<Sample>(ch.oB[i], ldrMax) : 0;
  }
}

template <typename Sample, bool kRgbe, bool kWhiteBalance, bool kSaturate>
void squeeze_rows(const SqueezerCurve& c, int width, int height, RowBand span,
                  const InputLayout& in, const float* expTable, const OutputLayout<Sample>& out) {
  constexpr bool kProbe = sizeof(Sample) == 2;  // 16-bit output prints sample lines
  const int rowPeriod = height / 4;
  const int colPeriod = width / 2;
  Chunk ch;
  for (int y = span.first; y < span.first + span.rows; ++y) {
    // A cancelled run stops here; the driver discards the samples.
    if (run_cancelled()) return;
    run_progress(static_cast<double>(y) / height);
    const bool probeRow = kProbe && rowPeriod > 0 && colPeriod > 0 && y % rowPeriod == 0;
    for (ch.x0 = 0; ch.x0 < width; ch.x0 += kChunk) {
      ch.n = width - ch.x0 < kChunk ? width - ch.x0 : kChunk;
      if constexpr (kRgbe) {
        read_rgbe_chunk(&ch, in, width, y, expTable);
      } else {
        read_float_chunk(&ch, in, width, y);
      }
      power_terms<kRgbe, kWhiteBalance>(&ch, c);
      responses<kRgbe>(&ch, c);
      if constexpr (kSaturate) saturate_chunk(&ch, c);
      if (probeRow) print_probes<kRgbe>(ch, y, colPeriod);
      store_chunk<Sample, kRgbe>(ch, out, y, c.ldrMax);
    }
  }
}

template <typename Sample, bool kRgbe>
void squeeze_with_options(const SqueezerCurve& c, int width, int height, RowBand span,
                          const InputLayout& in, const float* expTable,
                          const OutputLayout<Sample>& out) {
  if (c.whiteBalance) {
    if (c.saturate) {
      squeeze_rows<Sample, kRgbe, true, true>(c, width, height, span, in, expTable, out);
    } else {
      squeeze_rows<Sample, kRgbe, true, false>(c, width, height, span, in, expTable, out);
    }
  } else if (c.saturate) {
    squeeze_rows<Sample, kRgbe, false, true>(c, width, height, span, in, expTable, out);
  } else {
    squeeze_rows<Sample, kRgbe, false, false>(c, width, height, span, in, expTable, out);
  }
}

template <typename Sample>
void squeeze(int isFP, const ImageDesc& d, RowBand span, const SqueezerCurve& c,
             const void* input, const float* expTable, void* output) {
  const int spp = d.spp;
  const int red = d.bgr != 0 ? spp - 1 : 0;
  const int green = (spp - 1) / 2;
  const int blue = d.bgr != 0 ? 0 : spp - 1;
  Sample* base = static_cast<Sample*>(output);

  OutputLayout<Sample> out;
  if (d.planes == 3) {
    // Packed planes: red, then green, then blue, width x height samples each.
    const ptrdiff_t plane = static_cast<ptrdiff_t>(d.width) * d.height;
    out = OutputLayout<Sample>{base, base + plane, base + 2 * plane, d.width, 1};
  } else {
    out = OutputLayout<Sample>{base + red, base + green, base + blue, d.rowStride, spp};
  }

  InputLayout in{static_cast<const uint8_t*>(input), static_cast<const float*>(input), spp,
                 red, green, blue};
  if (isFP > 0) {
    squeeze_with_options<Sample, false>(c, d.width, d.height, span, in, expTable, out);
  } else {
    squeeze_with_options<Sample, true>(c, d.width, d.height, span, in, expTable, out);
  }
}

}  // namespace

int tm_simple_tile(int isFP, const ImageDesc* desc, const TmParam* param,
                   const LogStats* stats, const float* expTable, const void* input,
                   void* output) {
  return tm_simple_tile_rows(isFP, desc, RowBand{0, desc->height}, param, stats, expTable,
                             input, output);
}

int tm_simple_tile_rows(int isFP, const ImageDesc* desc, RowBand span, const TmParam* param,
                        const LogStats* stats, const float* expTable, const void* input,
                        void* output) {
  if (stats->logMax == stats->logMin) return LFTM_ERR_FILE;
  // No sample depth or channel positions to write with: nothing is written.
  if ((desc->bits != 8 && desc->bits != 16) || desc->spp < 1) return LFTM_ERR_FILE;

  SqueezerCurve curve;
  make_squeezer_curve(desc->bits, param, stats, &curve);
  if (span.first == 0) {
    diag_out("%d x %d  isFP: %d  ldrMax: %1.0f  log min=%1.3f max=%1.2f  moy=%1.2f  e=%1.3f\n",
             desc->width, desc->height, isFP, curve.ldrMax, stats->logMin, stats->logMax,
             stats->logMoy, curve.e);
  }

  if (desc->bits == 16) {
    squeeze<uint16_t>(isFP, *desc, span, curve, input, expTable, output);
  } else {
    squeeze<uint8_t>(isFP, *desc, span, curve, input, expTable, output);
  }
  return desc->height;
}

}  // namespace lftm
