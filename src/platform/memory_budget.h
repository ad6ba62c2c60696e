// SPDX-License-Identifier: BSD-3-Clause
// How much memory a run may take. Whoever starts a run (the tool's --memory-limit, a host's
// memory_limit option) passes the budget down with the run; without a request, a run may take
// a third of the memory that can be had when it asks, which leaves the rest of the machine
// room while a large disk-mode run goes on.
#ifndef LFTM_PLATFORM_MEMORY_BUDGET_H_
#define LFTM_PLATFORM_MEMORY_BUDGET_H_

#include <cstdint>

namespace lftm {

// The budget of a run whose caller asked for `requested` bytes: that request when it is
// positive, else the default, a third of the memory that can be had now; 0 when neither is
// known. Every run, estimate and scheduler takes its budget from here.
int64_t memory_budget_for(int64_t requested);

}  // namespace lftm

#endif  // LFTM_PLATFORM_MEMORY_BUDGET_H_
