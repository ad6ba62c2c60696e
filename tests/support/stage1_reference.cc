// SPDX-License-Identifier: BSD-3-Clause
#include "support/stage1_reference.h"

#include <cmath>

namespace lftm_test {
namespace stage1_ref {

Settings default_settings(bool is360) {
  // Strength slot 0 = 0: 1 + 10 x 0.6 = 7 -> exponent -0.07; micro-contrast 0 -> 0.1 x 2^0;
  // micro-smoothing 2 -> 2 / 15; slot 18 = 0 -> windows of six levels.
  Settings s;
  s.exponent = static_cast<float>((1.0 - 7.0 / 100.0) - 1.0);
  s.alphaScale = 0.1;
  s.detail = static_cast<float>(2.0 / 15.0);
  s.is360 = is360;
  s.windowLevels = 5;
  return s;
}

Plane reduce(const Plane& p, bool is360) {
  Plane out((p.w + 1) / 2, (p.h + 1) / 2);
  for (int j = 0; j < out.h; ++j) {
    for (int i = 0; i < out.w; ++i) {
      const int x = 2 * i;
      const int y = 2 * j;
      const bool top = y == 0;
      const bool bottom = !top && y == p.h - 1;
      const bool left = x == 0;
      const bool right = !left && x == p.w - 1;
      auto P = [&](int dx, int dy) {
        int xx = x + dx;
        if (xx < 0) xx += p.w;
        if (xx >= p.w) xx -= p.w;
        return p.at(xx, y + dy);
      };
      const float c = P(0, 0);
      double v;
      if (top && left) {
        v = 0.5 * c + 0.25 * (P(1, 0) + P(0, 1));
      } else if (top && right) {
        v = 0.5 * c + 0.25 * (P(-1, 0) + P(0, 1));
      } else if (top && is360) {
        const float p00 = p.at(0, 0);
        const float pmid = p.at(p.w / 2, 0);
        v = 0.25 * c + 0.125 * (P(-1, 0) + P(1, 0) + p00 + P(0, 1)) +
            0.0625 * (pmid + p00 + P(-1, 1) + P(1, 1));
      } else if (top) {
        v = 0.33333 * c + 0.166667 * (P(-1, 0) + P(1, 0) + P(0, 1)) +
            static_cast<double>(P(-1, 1) + P(1, 1)) / 12;
      } else if (bottom && left) {
        v = 0.5 * c + 0.25 * (P(1, 0) + P(0, -1));
      } else if (bottom && right) {
        v = 0.5 * c + 0.25 * (P(-1, 0) + P(0, -1));
      } else if (bottom) {
        v = 0.33333 * c + 0.166667 * (P(-1, 0) + P(1, 0) + P(0, -1)) +
            static_cast<double>(P(-1, -1) + P(1, -1)) / 12;
      } else if (left && !is360) {
        v = 0.33333 * c + 0.166667 * (P(1, 0) + P(0, -1) + P(0, 1)) +
            static_cast<double>(P(1, -1) + P(1, 1)) / 12;
      } else if (right && !is360) {
        v = 0.33333 * c + 0.166667 * (P(-1, 0) + P(0, -1) + P(0, 1)) +
            static_cast<double>(P(-1, -1) + P(-1, 1)) / 12;
      } else {
        // Inside, or a wrapped edge column: P() wraps around horizontally.
        v = 0.25 * c + 0.125 * (P(-1, 0) + P(1, 0) + P(0, -1) + P(0, 1)) +
            0.0625 * (P(-1, -1) + P(1, -1) + P(-1, 1) + P(1, 1));
      }
      out.at(i, j) = static_cast<float>(v);
    }
  }
  return out;
}

Plane gradients(const Plane& p, bool is360, double scale, float* sum) {
  Plane out(p.w, p.h);
  *sum = 0.0f;
  for (int y = 0; y < p.h; ++y) {
    for (int x = 0; x < p.w; ++x) {
      const bool innerRow = y > 0 && y < p.h - 1;
      const bool innerCol = x > 0 && x < p.w - 1;
      float gx;
      if (innerCol) {
        gx = p.at(x + 1, y) - p.at(x - 1, y);
      } else if (x == 0) {
        gx = p.at(1, y) - ((is360 && innerRow) ? p.at(p.w - 1, y) : p.at(0, y));
      } else {
        gx = ((is360 && innerRow) ? p.at(0, y) : p.at(x, y)) - p.at(x - 1, y);
      }
      float gy;
      if (innerRow) {
        gy = p.at(x, y + 1) - p.at(x, y - 1);
      } else if (y == 0) {
        gy = p.at(x, 1) - ((is360 && innerCol) ? p.at(p.w / 2, 0) : p.at(x, 0));
      } else {
        gy = p.at(x, y) - p.at(x, y - 1);
      }
      if (std::fabs(gx) > 100.0f) gx = 0.0f;
      if (std::fabs(gy) > 100.0f) gy = 0.0f;
      const float m = static_cast<float>(scale * std::sqrt(static_cast<double>(gx * gx + gy * gy)));
      out.at(x, y) = m;
      *sum += m;
    }
  }
  return out;
}

Plane attenuate(const Plane& magnitudes, float sum, const Settings& s) {
  const float mean = sum / static_cast<float>(magnitudes.w * magnitudes.h);
  const float alpha = static_cast<float>(s.alphaScale * mean);
  const float add = mean * s.detail;
  Plane out = magnitudes;
  if (!(alpha > 0.0f)) return out;
  for (float& v : out.v) {
    if (v != 0.0f) v = static_cast<float>(std::pow(static_cast<double>((v + add) / alpha), s.exponent));
  }
  return out;
}

Plane multiply_upsampled(const Plane& fine, const Plane& q, bool is360) {
  Plane out(fine.w, fine.h);
  for (int y = 0; y < fine.h; ++y) {
    for (int x = 0; x < fine.w; ++x) {
      const int i = x / 2;
      const int j = y / 2;
      const bool lastCol = x == fine.w - 1 && fine.w % 2 == 0;
      const bool lastRow = y == fine.h - 1 && fine.h % 2 == 0;
      float u;
      if (lastRow && lastCol) {
        u = q.at(i, j);
      } else if (lastRow) {
        u = x % 2 == 0 ? q.at(i, j) : 0.5f * (q.at(i, j) + q.at(i + 1, j));
      } else if (lastCol && y % 2 == 0) {
        u = is360 ? 0.5f * (q.at(i, j) + q.at(0, j)) : q.at(i, j);
      } else if (lastCol) {
        u = is360 ? 0.25f * (q.at(i, j) + q.at(0, j) + q.at(i, j + 1) + q.at(0, j + 1))
                  : 0.5f * (q.at(i, j) + q.at(i, j + 1));
      } else if (x % 2 == 0 && y % 2 == 0) {
        u = q.at(i, j);
      } else if (y % 2 == 0) {
        u = 0.5f * (q.at(i, j) + q.at(i + 1, j));
      } else if (x % 2 == 0) {
        u = 0.5f * (q.at(i, j) + q.at(i, j + 1));
      } else {
        u = 0.25f * (q.at(i, j) + q.at(i + 1, j) + q.at(i, j + 1) + q.at(i + 1, j + 1));
      }
      out.at(x, y) = fine.at(x, y) * u;
    }
  }
  return out;
}

Plane divergence(const Plane& lg, const Plane& phi) {
  Plane out(lg.w, lg.h);
  for (int y = 0; y < lg.h; ++y) {
    for (int x = 0; x < lg.w; ++x) {
      const float c = lg.at(x, y);
      const bool hasRight = x + 1 < lg.w;
      const bool hasDown = y + 1 < lg.h;
      std::vector<float> terms;
      if (hasRight && hasDown) {
        terms.push_back((lg.at(x + 1, y) + lg.at(x, y + 1) - 2 * c) * phi.at(x, y));
      } else if (hasDown) {
        terms.push_back((lg.at(x, y + 1) - c) * phi.at(x, y));
      } else if (hasRight) {
        terms.push_back((lg.at(x + 1, y) - c) * phi.at(x, y));
      }
      if (x > 0) terms.push_back((lg.at(x - 1, y) - c) * phi.at(x - 1, y));
      if (y > 0) terms.push_back((lg.at(x, y - 1) - c) * phi.at(x, y - 1));
      float v = terms.empty() ? 0.0f : terms[0];
      for (size_t k = 1; k < terms.size(); ++k) v += terms[k];
      out.at(x, y) = v;
    }
  }
  return out;
}

Result run(const Plane& level0, int minW, int lastTarget, const Settings& s) {
  Result r;
  r.logPyramid.push_back(level0);
  while (r.logPyramid.back().w > minW) r.logPyramid.push_back(reduce(r.logPyramid.back(), s.is360));
  const int count = static_cast<int>(r.logPyramid.size());

  double scale = 0.5;
  for (const Plane& level : r.logPyramid) {
    float sum;
    Plane m = gradients(level, s.is360, scale, &sum);
    r.factors.push_back(attenuate(m, sum, s));
    scale *= 0.5;
  }

  r.phi.resize(static_cast<size_t>(count));
  r.phi[count - 1] = r.factors[count - 1];
  for (int k = count - 2; k >= 0; --k) {
    r.phi[k] = multiply_upsampled(r.factors[k], r.phi[k + 1], s.is360);
  }
  r.rhs = divergence(level0, r.phi[0]);
  for (float& v : r.rhs.v) {
    if (v > 100.0f || v < -100.0f) v = 0.0f;
  }

  for (int t = 0; t <= lastTarget; ++t) {
    int k0 = t + s.windowLevels;
    if (k0 > count - 1) k0 = count - 1;
    Plane product = r.factors[k0];
    for (int k = k0 - 1; k >= t; --k) product = multiply_upsampled(r.factors[k], product, s.is360);
    r.windowRhs.push_back(divergence(r.logPyramid[t], product));
  }
  return r;
}

}  // namespace stage1_ref
}  // namespace lftm_test
