// SPDX-License-Identifier: BSD-3-Clause
// Settings as a sidecar keeps them. The file stores most values with one decimal, the clips
// with six and the gamma as a one-decimal gamma value, so a block read back from a sidecar
// can differ from the block that was written. A host that renders with the stored block
// makes its sidecar reproduce the image exactly.
#ifndef LFTM_SETTINGS_STORED_SETTINGS_H_
#define LFTM_SETTINGS_STORED_SETTINGS_H_

#include <cstdint>

#include "lftm.h"

namespace lftm {

// The block that parse_xmp gives when it reads, onto `base`, the sidecar that write_xmp
// writes for `method` and `params`. Slots the file does not hold come from `base`.
TmParam settings_as_stored(int32_t method, const TmParam& params, const TmParam& base);

}  // namespace lftm

#endif  // LFTM_SETTINGS_STORED_SETTINGS_H_
