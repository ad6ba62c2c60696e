#include "platform/memory_budget.h"

#include "platform/resources.h"

namespace lftm {
namespace {

thread_local int64_t budgetSet = 0;
thread_local int64_t headroomSet = 0;

}  // namespace

int64_t memory_budget_for(int64_t requested) {
  if (requested > 0) return requested;
  const int64_t available = available_memory_bytes();
  return available > 0 ? available / 3 : 0;
}

int64_t memory_budget() { return memory_budget_for(budgetSet); }

int64_t requested_memory_budget() { return budgetSet; }

MemoryBudgetScope::MemoryBudgetScope(int64_t bytes) : previous_(budgetSet) {
  if (bytes > 0) budgetSet = bytes;
}

MemoryBudgetScope::~MemoryBudgetScope() { budgetSet = previous_; }

int64_t solver_headroom() { return headroomSet; }

SolverHeadroomScope::SolverHeadroomScope(int64_t bytes) : previous_(headroomSet) {
  headroomSet = bytes > 0 ? bytes : 0;
}

SolverHeadroomScope::~SolverHeadroomScope() { headroomSet = previous_; }

}  // namespace lftm
