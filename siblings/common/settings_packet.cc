// SPDX-License-Identifier: BSD-3-Clause
#include "common/settings_packet.h"

#include "settings/xmp_format.h"

namespace lftm_sibling {

std::string settings_packet(const HdrFileInfo* info, int32_t method, const TmParam* params) {
  if (params == nullptr || (info->infos[LFTM_INFO_METADATA] & LFTM_META_NO_SETTINGS) != 0 ||
      !lftm::is_sidecar_method(method)) {
    return std::string();
  }
  return "<?xpacket begin='\xEF\xBB\xBF' id='W5M0MpCehiHzreSzNTczkc9d'?>\n" +
         lftm::render_settings_xmp(method, *params) + "<?xpacket end='w'?>";
}

}  // namespace lftm_sibling
