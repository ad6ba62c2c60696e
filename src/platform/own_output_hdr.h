// SPDX-License-Identifier: BSD-3-Clause
// The marks lftm's HDR writers leave: a "software" string attribute "lftm" in an OpenEXR
// header, a "SOFTWARE=lftm" line (alone or followed by a space and more) in a Radiance
// header. Only the header is read.
#ifndef LFTM_PLATFORM_OWN_OUTPUT_HDR_H_
#define LFTM_PLATFORM_OWN_OUTPUT_HDR_H_

#include <string>

namespace lftm {

// The attribute name and text lfexr_write stores.
constexpr char kExrSoftwareAttribute[] = "software";

// `head`: the first bytes of a file (the whole header, or as much as there is).
bool exr_has_mark(const std::string& head);
bool radiance_has_mark(const std::string& head);

}  // namespace lftm

#endif  // LFTM_PLATFORM_OWN_OUTPUT_HDR_H_
