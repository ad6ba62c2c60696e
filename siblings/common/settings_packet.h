// SPDX-License-Identifier: BSD-3-Clause
// The run's settings as the writers embed them in an image: the sidecar text wrapped as an
// XMP packet.
#ifndef LFTM_SIBLINGS_COMMON_SETTINGS_PACKET_H_
#define LFTM_SIBLINGS_COMMON_SETTINGS_PACKET_H_

#include <cstdint>
#include <string>

#include "lftm.h"

namespace lftm_sibling {

// The packet for `method` and `params`; empty when there is nothing to embed: no params, a
// method without settings, or LFTM_META_NO_SETTINGS in the metadata flags (info slot 10).
std::string settings_packet(const HdrFileInfo* info, int32_t method, const TmParam* params);

}  // namespace lftm_sibling

#endif  // LFTM_SIBLINGS_COMMON_SETTINGS_PACKET_H_
