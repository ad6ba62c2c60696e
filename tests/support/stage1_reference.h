// SPDX-License-Identifier: BSD-3-Clause
// A plain, whole-plane reading of stage 1 for the tests: every level is a separate array,
// every neighbour is looked up by its coordinates, and nothing is done in place.
#ifndef LFTM_TESTS_SUPPORT_STAGE1_REFERENCE_H_
#define LFTM_TESTS_SUPPORT_STAGE1_REFERENCE_H_

#include <cstddef>
#include <vector>

namespace lftm_test {
namespace stage1_ref {

struct Plane {
  int w = 0;
  int h = 0;
  std::vector<float> v;

  Plane() = default;
  Plane(int width, int height) : w(width), h(height), v(static_cast<size_t>(width) * height) {}
  float at(int x, int y) const { return v[static_cast<size_t>(y) * w + x]; }
  float& at(int x, int y) { return v[static_cast<size_t>(y) * w + x]; }
};

struct Settings {
  float exponent;
  double alphaScale;
  float detail;
  bool is360;
  int windowLevels;
};

// The settings the default parameter block of the Texture Booster gives, with is360 as asked.
Settings default_settings(bool is360);

Plane reduce(const Plane& p, bool is360);
// Scaled gradient magnitudes; `sum` receives their float sum in pixel order.
Plane gradients(const Plane& p, bool is360, double scale, float* sum);
// The power law applied to a level of magnitudes with the level's own mean.
Plane attenuate(const Plane& magnitudes, float sum, const Settings& s);
// fine x (coarse upsampled onto fine).
Plane multiply_upsampled(const Plane& fine, const Plane& coarse, bool is360);
Plane divergence(const Plane& lg, const Plane& phi);

struct Result {
  std::vector<Plane> logPyramid;  // level 0 .. coarsest
  std::vector<Plane> factors;     // attenuation factors per level
  std::vector<Plane> phi;         // products over all coarser levels (single-level worker)
  Plane rhs;                      // single-level right-hand side, limited to [-100, 100]
  std::vector<Plane> windowRhs;   // multi-level right-hand sides, targets 0..lastTarget
};

// Runs the whole computation from a level-0 log plane down to a coarsest width of minW.
Result run(const Plane& level0, int minW, int lastTarget, const Settings& s);

}  // namespace stage1_ref
}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_STAGE1_REFERENCE_H_
