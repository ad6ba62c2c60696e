// SPDX-License-Identifier: BSD-3-Clause
// The tuner's renders of a photograph: tone mapped by the library with the page's settings,
// or plainly exposed, as 8-bit interleaved samples.
#ifndef LFTM_TOOLS_TUNE_RENDER_H_
#define LFTM_TOOLS_TUNE_RENDER_H_

#include <cstdint>
#include <vector>

#include "lftm_host.h"

namespace lftm_tune {

// 8-bit interleaved samples, spp a pixel.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  int32_t spp = 3;
  std::vector<uint8_t> samples;
};

// How a render runs: setting *stop from another thread cancels it (LFTM_ERR_CANCELLED), and
// the library's lines reach the terminal only when `verbose`.
struct RenderRun {
  int32_t threads = 1;
  const volatile int32_t* stop = nullptr;
  bool verbose = false;
};

// `photo` tone mapped with `method` and `params`. Returns 0 or a negative library code.
int32_t render_photo(const lftm_photo* photo, int32_t method, const TmParam& params,
                     const RenderRun& run, Picture* out);

// The photograph as it is, exposed so that its geometric mean luminance lands on middle grey
// and encoded with a 2.2 gamma: the "before" of the before/after toggle.
void render_exposure(const lftm_photo* photo, Picture* out);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_RENDER_H_
