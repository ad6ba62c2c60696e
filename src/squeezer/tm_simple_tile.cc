// The per-pixel pass of the Range Squeezer. Everything that depends only on the call is
// fixed before the loop (response_curve.h); the power term of the response depends only on
// the pixel's adaptation level, so it is computed once per pixel and shared by the three
// channels. The loop is instantiated per input kind, sample width and colour options so
// that the common case runs without per-pixel tests.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "platform/diag.h"
#include "squeezer/colour.h"
#include "squeezer/response_curve.h"
#include "squeezer/tm_simple.h"

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

template <typename Sample, bool kRgbe, bool kWhiteBalance, bool kSaturate>
void squeeze_rows(const SqueezerCurve& c, int width, int height, const InputLayout& in,
                  const float* expTable, const OutputLayout<Sample>& out) {
  constexpr bool kProbe = sizeof(Sample) == 2;  // 16-bit output prints sample lines
  const double ldrMaxD = c.ldrMax;
  const double kD = c.k;
  const double eD = c.e;
  const float globalPart = (1 - c.blend) * c.Lav;
  const float blend = c.blend;
  const float lo = c.lo;
  const float scale = c.scale;
  const float ldrMax = c.ldrMax;
  const int hsl_scale = static_cast<int>(c.ldrMax);
  const int rowPeriod = height / 4;
  const int colPeriod = width / 2;
  const float(&m)[3][3] = c.wb;

  for (int y = 0; y < height; ++y) {
    const bool probeRow = kProbe && rowPeriod > 0 && colPeriod > 0 && y % rowPeriod == 0;
    const ptrdiff_t w = width;
    const uint8_t* rgbeRow = kRgbe ? in.rgbe + y * 4 * w : nullptr;
    const float* floatRow = kRgbe ? nullptr : in.floats + y * w * in.spp;
    Sample* outR = out.red + y * out.row;
    Sample* outG = out.green + y * out.row;
    Sample* outB = out.blue + y * out.row;

    for (int x = 0; x < width; ++x) {
      const ptrdiff_t o = x * out.step;
      float r, g, b;
      int exponent = 0;
      if constexpr (kRgbe) {
        exponent = rgbeRow[3 * w + x];
        if (exponent == 0) {
          outR[o] = 0;
          outG[o] = 0;
          outB[o] = 0;
          continue;
        }
        r = rgbeRow[x];
        g = rgbeRow[w + x];
        b = rgbeRow[2 * w + x];
      } else {
        const float* px = floatRow + x * in.spp;
        r = px[in.red];
        g = px[in.green];
        b = px[in.blue];
      }
      float Y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
      if constexpr (kWhiteBalance) {
        float wr = m[0][0] * r + m[0][1] * g + m[0][2] * b;
        float wg = m[1][0] * r + m[1][1] * g + m[1][2] * b;
        float wb = m[2][0] * r + m[2][1] * g + m[2][2] * b;
        r = wr;
        g = wg;
        b = wb;
      }
      const float inR = r, inG = g, inB = b;
      if constexpr (kRgbe) {
        const float unit = expTable[exponent];
        Y *= unit;
        r *= unit;
        g *= unit;
        b *= unit;
      }
      const float A = globalPart + blend * Y;
      const double p = std::pow(kD * A, eD);
      const double rd = r, gd = g, bd = b;
      float res[3];
      res[0] = (static_cast<float>(rd * ldrMaxD / (1e-20 + rd + p)) - lo) * scale;
      res[1] = (static_cast<float>(gd * ldrMaxD / (1e-20 + gd + p)) - lo) * scale;
      res[2] = (static_cast<float>(bd * ldrMaxD / (1e-20 + bd + p)) - lo) * scale;
      if constexpr (kSaturate) {
        float hsl[3];
        rgb_to_hsl(hsl_scale, res, hsl);
        hsl[1] = hsl[1] * c.satFactor;
        if (hsl[1] > 1) hsl[1] = 1;
        hsl_to_rgb(hsl_scale, hsl, res);
      }
      if constexpr (kProbe) {
        if (probeRow && x % colPeriod == 0) {
          diag_out("in:  %1.2f  %1.2f  %1.2f    out: %1.2f  %1.2f  %1.2f  %d,%d\n", inR, inG,
                   inB, res[0], res[1], res[2], x, y);
        }
      }
      outR[o] = to_sample<Sample>(res[0], ldrMax);
      outG[o] = to_sample<Sample>(res[1], ldrMax);
      outB[o] = to_sample<Sample>(res[2], ldrMax);
    }
  }
}

template <typename Sample, bool kRgbe>
void squeeze_with_options(const SqueezerCurve& c, int width, int height,
                          const InputLayout& in, const float* expTable,
                          const OutputLayout<Sample>& out) {
  if (c.whiteBalance) {
    if (c.saturate) {
      squeeze_rows<Sample, kRgbe, true, true>(c, width, height, in, expTable, out);
    } else {
      squeeze_rows<Sample, kRgbe, true, false>(c, width, height, in, expTable, out);
    }
  } else if (c.saturate) {
    squeeze_rows<Sample, kRgbe, false, true>(c, width, height, in, expTable, out);
  } else {
    squeeze_rows<Sample, kRgbe, false, false>(c, width, height, in, expTable, out);
  }
}

template <typename Sample>
void squeeze(int isFP, const ImageDesc& d, const SqueezerCurve& c, const void* input,
             const float* expTable, void* output) {
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
    squeeze_with_options<Sample, false>(c, d.width, d.height, in, expTable, out);
  } else {
    squeeze_with_options<Sample, true>(c, d.width, d.height, in, expTable, out);
  }
}

}  // namespace

int tm_simple_tile(int isFP, const ImageDesc* desc, const TmParam* param,
                   const LogStats* stats, const float* expTable, const void* input,
                   void* output) {
  if (stats->logMax == stats->logMin) return -1;
  if (desc->bits != 8 && desc->bits != 16) return -1;

  SqueezerCurve curve;
  make_squeezer_curve(desc->bits, param, stats, &curve);
  diag_out("%d x %d  isFP: %d  ldrMax: %1.0f  log min=%1.3f max=%1.2f  moy=%1.2f  e=%1.3f\n",
           desc->width, desc->height, isFP, curve.ldrMax, stats->logMin, stats->logMax,
           stats->logMoy, curve.e);

  if (desc->bits == 16) {
    squeeze<uint16_t>(isFP, *desc, curve, input, expTable, output);
  } else {
    squeeze<uint8_t>(isFP, *desc, curve, input, expTable, output);
  }
  return desc->height;
}

}  // namespace lftm
