// SPDX-License-Identifier: BSD-3-Clause
// Simulated failures, for tests. Code that takes a system resource which can run out (a
// thread, a scratch buffer) asks fault_allows() first and behaves as if the resource were
// refused when it says no; a test arms a fault to see that every caller copes. All faults are
// off unless a test arms them, and an unarmed fault costs one relaxed atomic load.
#ifndef LFTM_PLATFORM_FAULT_INJECTION_H_
#define LFTM_PLATFORM_FAULT_INJECTION_H_

namespace lftm {

enum class Fault {
  kThreadStart,        // a worker thread cannot be created (platform/workers)
  kScratchAllocation,  // a working buffer of a stage cannot be allocated
  kOutputBuffer,       // the Texture Booster driver's output buffer cannot be allocated
};

// After `allowed` more attempts that succeed, every attempt at `fault` fails (0: the next one
// already fails). A negative value turns the simulation off. Process-wide, thread-safe.
void simulate_failure(Fault fault, int allowed);

// Whether the attempt the caller is about to make may succeed; counts it when the fault is
// armed.
bool fault_allows(Fault fault);

// simulate_failure(Fault::kThreadStart, allowed), the form most tests use.
inline void simulate_thread_start_failure(int allowed) {
  simulate_failure(Fault::kThreadStart, allowed);
}

}  // namespace lftm

#endif  // LFTM_PLATFORM_FAULT_INJECTION_H_
