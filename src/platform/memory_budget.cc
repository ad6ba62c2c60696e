// SPDX-License-Identifier: BSD-3-Clause
#include "platform/memory_budget.h"

#include "platform/resources.h"

namespace lftm {

int64_t memory_budget_for(int64_t requested) {
  if (requested > 0) return requested;
  const int64_t available = available_memory_bytes();
  return available > 0 ? available / 3 : 0;
}

}  // namespace lftm
