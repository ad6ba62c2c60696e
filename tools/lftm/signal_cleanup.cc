// SPDX-License-Identifier: BSD-3-Clause
#include "signal_cleanup.h"

#include <signal.h>

#include <atomic>

#include "lftm_host.h"

namespace lftm_cli {
namespace {

static_assert(std::atomic<int>::is_always_lock_free, "the handler's atomics must not lock");

volatile int32_t g_cancel = 0;
std::atomic<int> g_signal{0};   // the signal that came, 0 before any
std::atomic<int> g_running{0};  // runs in progress

// Async-signal-safe: removes what the library still owns, restores the default action and
// ends the process by the signal (SA_NODEFER left it unblocked, so it acts at once).
void remove_files_and_die(int number) {
  lftm_remove_temporaries();
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(number, &action, nullptr);
  raise(number);
}

void on_signal(int number) {
  // Set before the count is read, and the count is lowered before the signal is read
  // (InterruptibleRun), so that at least one side ends the process.
  const int earlier = g_signal.exchange(number);
  if (earlier != 0 || g_running.load() == 0) remove_files_and_die(number);
  __atomic_store_n(&g_cancel, 1, __ATOMIC_SEQ_CST);
}

}  // namespace

void install_signal_cleanup() {
  const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  for (int number : kSignals) {
    struct sigaction previous;
    if (sigaction(number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_NODEFER | SA_RESTART;  // the runs go on to see the cancel flag
    sigaction(number, &action, nullptr);
  }
}

const volatile int32_t* run_cancel_flag() { return &g_cancel; }

InterruptibleRun::InterruptibleRun() { g_running.fetch_add(1); }

InterruptibleRun::~InterruptibleRun() {
  g_running.fetch_sub(1);
  const int number = g_signal.load();
  if (number != 0) remove_files_and_die(number);
}

}  // namespace lftm_cli
