// SPDX-License-Identifier: BSD-3-Clause
// Test scenes for the merge: a known radiance seen through a gamma camera at several
// exposures, as 8-bit frames in memory or as JPEG files with EXIF exposure values.
#ifndef LFTM_MERGE_BRACKET_SCENE_H_
#define LFTM_MERGE_BRACKET_SCENE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "merge/bracket.h"

namespace lftm_test {

struct Scene {
  int width = 96;
  int height = 64;
  std::vector<float> radiance;  // width x height x 3
};

// Radiance rising 2^12 from left to right, tinted, with a column that is far too bright for
// any exposure and one that is black.
Scene ramp_scene();

// A textured scene (smooth blobs over about 8 stops) seen by frames that moved: frame i of
// `exposures` shows at its pixel (u, v) the scene point that motions[i] maps onto (u, v).
lftm::Bracket shoot_moving(int width, int height, const std::vector<double>& exposures,
                           const std::vector<lftm::FrameMotion>& motions);

// Paints a bright square of side `side` at (x, y) into frame `index` as the camera would
// record an object of light `light` there.
void add_object(lftm::Bracket* bracket, size_t index, int x, int y, int side, float light);

// What the test camera records: 255 x (radiance x exposure)^(1/2.2), clipped, rounded.
uint8_t camera_level(float light);
// The camera's true inverse response at level z.
double camera_inverse(uint32_t z);

// The scene through the camera at each exposure.
lftm::Bracket shoot(const Scene& scene, const std::vector<double>& exposures);

// Writes one frame as a baseline JPEG of quality 98, with EXIF exposure time `seconds` (and
// f/4, ISO 100) when seconds > 0, orientation `orientation` when not 1, and the capture time
// `taken` ("YYYY:MM:DD HH:MM:SS", with `subsec` digits) when not null.
bool write_jpeg_frame(const std::string& path, const lftm::Frame& frame, int width, int height,
                      double seconds, int orientation = 1, const char* taken = nullptr,
                      const char* subsec = nullptr);

// Writes 16-bit RGB samples (width x height x 3, machine order) as a TIFF or a PNG file.
bool write_tiff16(const std::string& path, const std::vector<uint16_t>& rgb, int width, int height);
bool write_png16(const std::string& path, const std::vector<uint16_t>& rgb, int width, int height);

}  // namespace lftm_test

#endif  // LFTM_MERGE_BRACKET_SCENE_H_
