// SPDX-License-Identifier: BSD-3-Clause
// The setting a public settings call names by method and index, checked once for all of them.
#ifndef LFTM_HOST_SETTINGS_LOOKUP_H_
#define LFTM_HOST_SETTINGS_LOOKUP_H_

#include <cstdint>

#include "settings/settings_table.h"

namespace lftm {

// The setting `index` of `method`, or nullptr when there is no such method or index.
inline const Setting* setting_of(int32_t method, int32_t index) {
  const MethodSettings* table = method_settings(method);
  if (table == nullptr || index < 0 || static_cast<size_t>(index) >= table->size()) return nullptr;
  return table->begin + index;
}

}  // namespace lftm

#endif  // LFTM_HOST_SETTINGS_LOOKUP_H_
