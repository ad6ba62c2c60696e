// How much memory a run may take. Whoever starts runs (the tool's --memory-limit, a host's
// memory_limit option) sets it for the calls made on its thread; without that, a run may take
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

// The budget of the runs of this thread, in bytes; 0 when none was set and the system cannot
// say how much memory there is.
int64_t memory_budget();

// The budget set for this thread's runs, 0 when none was.
int64_t requested_memory_budget();

// Sets the budget of this thread's runs while the object lives; 0 or less keeps the default.
class MemoryBudgetScope {
 public:
  explicit MemoryBudgetScope(int64_t bytes);
  ~MemoryBudgetScope();
  MemoryBudgetScope(const MemoryBudgetScope&) = delete;
  MemoryBudgetScope& operator=(const MemoryBudgetScope&) = delete;

 private:
  int64_t previous_;
};

// The bytes that disk mode's solver may keep in memory beyond the run's fixed buffers. The
// driver sets it from the budget around its stages; a stage called on its own gets 0 and keeps
// its vectors in files, as it always did.
int64_t solver_headroom();

class SolverHeadroomScope {
 public:
  explicit SolverHeadroomScope(int64_t bytes);
  ~SolverHeadroomScope();
  SolverHeadroomScope(const SolverHeadroomScope&) = delete;
  SolverHeadroomScope& operator=(const SolverHeadroomScope&) = delete;

 private:
  int64_t previous_;
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_MEMORY_BUDGET_H_
