// SPDX-License-Identifier: BSD-3-Clause
#include "platform/fault_injection.h"

#include <atomic>

namespace lftm {
namespace {

constexpr int kFaultKinds = static_cast<int>(Fault::kOutputBuffer) + 1;

// Per fault: attempts still allowed to succeed, or -1 when the simulation is off.
std::atomic<int> g_allowed[kFaultKinds] = {{-1}, {-1}, {-1}};

std::atomic<int>& allowed_of(Fault fault) { return g_allowed[static_cast<int>(fault)]; }

}  // namespace

void simulate_failure(Fault fault, int allowed) {
  allowed_of(fault).store(allowed < 0 ? -1 : allowed, std::memory_order_relaxed);
}

bool fault_allows(Fault fault) {
  std::atomic<int>& slot = allowed_of(fault);
  int allowed = slot.load(std::memory_order_relaxed);
  while (allowed >= 0) {
    if (allowed == 0) return false;
    if (slot.compare_exchange_weak(allowed, allowed - 1)) return true;
  }
  return true;
}

}  // namespace lftm
