// SPDX-License-Identifier: BSD-3-Clause
// Clipped pixels of a rendered picture: a pixel with a channel at 255 has lost highlight
// detail (clipped to white), one with a channel at 0 and none at 255 has lost shadow detail
// (clipped to black). The warning overlay paints them red and blue.
#ifndef LFTM_TOOLS_TUNE_CLIPPING_H_
#define LFTM_TOOLS_TUNE_CLIPPING_H_

#include "render.h"

namespace lftm_tune {

struct ClipShares {
  double white = 0;  // share of the pixels clipped to white, 0..1
  double black = 0;  // share of the pixels clipped to black, 0..1
};

ClipShares clip_shares(const Picture& picture);

// `picture` as three channels, with the pixels clipped to white painted red and those
// clipped to black painted blue.
Picture with_clipping_warning(const Picture& picture);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_CLIPPING_H_
