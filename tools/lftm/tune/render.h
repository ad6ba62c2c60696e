// Tone mapping of images held in memory, for the tuner's previews and zooms: the Texture
// Booster's three stages and the Range Squeezer run on buffers as the file drivers run them
// on a whole file, and a plain exposure shows the photograph before tone mapping.
#ifndef LFTM_TOOLS_TUNE_RENDER_H_
#define LFTM_TOOLS_TUNE_RENDER_H_

#include <cstdint>
#include <vector>

#include "lftm.h"

namespace lftm_tune {

// An HDR image in the layouts the stages read: RGBE planar bytes, or interleaved 16-bit
// samples decoded through `lut`.
struct HdrView {
  int32_t width = 0;
  int32_t height = 0;
  int32_t spp = 3;
  const uint8_t* rgbe = nullptr;      // set for RGBE planar bytes
  const uint16_t* samples = nullptr;  // set for 16-bit samples
  const float* lut = nullptr;         // 65536 linear values of the 16-bit samples
};

// The image the Range Squeezer reads: RGBE planar bytes (isFP 0) or interleaved linear floats
// (isFP = spp), with the statistics it is to be tone mapped with.
struct SqueezerView {
  int32_t width = 0;
  int32_t height = 0;
  int32_t spp = 3;
  const uint8_t* rgbe = nullptr;
  const float* linear = nullptr;
  LogStats stats = {0, 0, 0, 0};
};

// 8-bit interleaved samples, spp a pixel.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  int32_t spp = 3;
  std::vector<uint8_t> samples;
};

// The Texture Booster in memory, stages 1 to 3 as the driver runs them. Returns 0 or a
// negative library code.
int32_t render_booster(const HdrView& image, const TmParam& params, int32_t threads,
                       Picture* out);

// The Range Squeezer on `image` with its statistics. Returns 0 or a negative library code.
int32_t render_squeezer(const SqueezerView& image, const TmParam& params, int32_t threads,
                        Picture* out);

// The photograph as it is, exposed so that its geometric mean luminance lands on middle grey
// and encoded with a 2.2 gamma: the "before" of the before/after toggle.
void render_exposure(const SqueezerView& image, Picture* out);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_RENDER_H_
