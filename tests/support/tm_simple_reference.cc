#include "support/tm_simple_reference.h"

#include <cmath>
#include <cstdint>

#include "squeezer/colour.h"

namespace lftm_test {
namespace {

const float kRgbToXyz[3][3] = {
    {0.4124f, 0.3576f, 0.1805f}, {0.2126f, 0.7152f, 0.0722f}, {0.0193f, 0.1192f, 0.9505f}};
const float kXyzToRgb[3][3] = {
    {3.2406f, -1.5372f, -0.4986f}, {-0.9689f, 1.8758f, 0.0415f}, {0.0557f, -0.2040f, 1.0570f}};

bool truncates_to_nonzero(float v) { return std::trunc(v) != 0; }

void store(void* out, int bits, long index, float v, float ldrMax) {
  if (!(v > 0)) v = 0;
  if (v > ldrMax) v = ldrMax;
  if (bits == 16) {
    static_cast<uint16_t*>(out)[index] = static_cast<uint16_t>(v);
  } else {
    static_cast<uint8_t*>(out)[index] = static_cast<uint8_t>(v);
  }
}

}  // namespace

int reference_tm_simple(int isFP, const ImageDesc& d, const TmParam& param,
                        const LogStats& st, const float* expTable, const void* input,
                        void* output) {
  if (st.logMax == st.logMin) return -1;
  if (d.bits != 8 && d.bits != 16) return -1;
  const float* P = param.tmParam;

  float ldrMax = d.bits == 16 ? 65535.0 : 255.0;
  float blend = (P[2] + 10) * 0.05;
  float Lav = std::exp(static_cast<double>(st.logMoy));

  float e = st.autoContrast;
  if (P[1] < 0) e = 0.01 + (10 + P[1]) / 10 * (st.autoContrast - 0.01);
  if (P[1] > 0) e = 0.7 - (10 - P[1]) / 10 * (0.7 - st.autoContrast);
  if (!(e > 0)) e = 0.3 + 0.6 * std::pow((st.logMax - st.logMoy) / (st.logMax - st.logMin), 1.4);

  float b = P[0];
  float f;
  if (b > 0) {
    f = (0.4 - 0.01 * b) * b;
  } else if (b > -6) {
    f = 0.5 * b;
  } else {
    f = (0.5 + 0.1 * (-6 - b)) * b;
  }
  float k = std::exp(static_cast<double>(-f));

  int T = static_cast<int>(6500 - 200 * static_cast<double>(P[12]));
  float xyz[3] = {0.950456f, 1.0f, 1.088754f};
  lftm::daylight_xyz(T, xyz);
  float u = xyz[0] / 0.950456;
  float v = xyz[2] / 1.088754;
  float diag[3] = {u, 1, v};
  float M[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      float sum = 0;
      for (int n = 0; n < 3; ++n) sum += kXyzToRgb[i][n] * (diag[n] * kRgbToXyz[n][j]);
      M[i][j] = sum;
    }
  }

  auto response = [&](float x, float A) -> float {
    return static_cast<float>(static_cast<double>(x) * ldrMax /
                              (1e-20 + x + std::pow(static_cast<double>(k) * A,
                                                    static_cast<double>(e))));
  };
  float Lmax = std::exp(static_cast<double>(st.logMax));
  float Lmin = std::exp(static_cast<double>(st.logMin));
  float hi = response(Lmax, (1 - blend) * Lav + blend * Lmax);
  float lo = response(Lmin, (1 - blend) * Lav + blend * Lmin);
  float span = hi - lo;
  hi = hi - P[3] * 0.04 * span;
  lo = lo + P[4] * 0.06 * span;
  float scale = ldrMax / (hi - lo);

  const int w = d.width;
  const int h = d.height;
  const int spp = d.spp;
  const int pos[3] = {d.bgr ? spp - 1 : 0, (spp - 1) / 2, d.bgr ? 0 : spp - 1};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      long outIndex[3];
      for (int c = 0; c < 3; ++c) {
        outIndex[c] = d.planes == 3 ? static_cast<long>(c) * w * h + static_cast<long>(y) * w + x
                                    : static_cast<long>(y) * d.rowStride +
                                          static_cast<long>(x) * spp + pos[c];
      }
      float rgb[3];
      int E = 0;
      if (isFP > 0) {
        const float* px = static_cast<const float*>(input) + (static_cast<long>(y) * w + x) * spp;
        for (int c = 0; c < 3; ++c) rgb[c] = px[pos[c]];
      } else {
        const uint8_t* row = static_cast<const uint8_t*>(input) + 4L * w * y;
        E = row[3 * w + x];
        if (E == 0) {
          for (int c = 0; c < 3; ++c) store(output, d.bits, outIndex[c], 0, ldrMax);
          continue;
        }
        for (int c = 0; c < 3; ++c) rgb[c] = row[c * w + x];
      }
      float Y = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
      if (truncates_to_nonzero(P[12])) {
        float in[3] = {rgb[0], rgb[1], rgb[2]};
        for (int c = 0; c < 3; ++c) rgb[c] = M[c][0] * in[0] + M[c][1] * in[1] + M[c][2] * in[2];
      }
      if (isFP == 0) {
        Y = Y * expTable[E];
        for (int c = 0; c < 3; ++c) rgb[c] = rgb[c] * expTable[E];
      }
      float A = (1 - blend) * Lav + blend * Y;
      float o[3];
      for (int c = 0; c < 3; ++c) o[c] = (response(rgb[c], A) - lo) * scale;
      if (truncates_to_nonzero(P[13])) {
        float hsl[3];
        lftm::rgb_to_hsl(static_cast<int>(ldrMax), o, hsl);
        hsl[1] = hsl[1] * (1 + 0.1 * P[13]);
        if (hsl[1] > 1) hsl[1] = 1;
        lftm::hsl_to_rgb(static_cast<int>(ldrMax), hsl, o);
      }
      for (int c = 0; c < 3; ++c) store(output, d.bits, outIndex[c], o[c], ldrMax);
    }
  }
  return h;
}

}  // namespace lftm_test
