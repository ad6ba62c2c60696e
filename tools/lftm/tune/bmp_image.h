// SPDX-License-Identifier: BSD-3-Clause
// Pictures as uncompressed BMP files, which every browser shows and which cost nothing to
// make: the tuner sends its previews over the loopback interface only.
#ifndef LFTM_TOOLS_TUNE_BMP_IMAGE_H_
#define LFTM_TOOLS_TUNE_BMP_IMAGE_H_

#include <string>

#include "render.h"

namespace lftm_tune {

// The 24-bit BMP file of an 8-bit picture (grey pictures are repeated into three channels).
std::string bmp_file(const Picture& picture);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_BMP_IMAGE_H_
