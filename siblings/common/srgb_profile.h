// SPDX-License-Identifier: BSD-3-Clause
// An ICC version 2 display profile for sRGB, built in code so that the writers can embed it
// without shipping a data file.
#ifndef LFTM_SIBLINGS_COMMON_SRGB_PROFILE_H_
#define LFTM_SIBLINGS_COMMON_SRGB_PROFILE_H_

#include <cstdint>
#include <vector>

namespace lftm_sibling {

// The profile bytes: sRGB primaries adapted to the D50 connection space and the sRGB tone
// curve as a 1024-entry table.
const std::vector<uint8_t>& srgb_icc_profile();

}  // namespace lftm_sibling

#endif  // LFTM_SIBLINGS_COMMON_SRGB_PROFILE_H_
