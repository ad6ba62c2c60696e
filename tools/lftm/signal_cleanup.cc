#include "signal_cleanup.h"

#include <signal.h>

#include "platform/live_files.h"

namespace lftm_cli {
namespace {

void remove_files_and_die(int number) {
  lftm::live_files_unlink_all();
  // SA_RESETHAND restored the default action on entry and SA_NODEFER left the signal
  // unblocked, so this ends the process at once.
  raise(number);
}

}  // namespace

void install_signal_cleanup() {
  const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
  for (int number : kSignals) {
    struct sigaction previous;
    if (sigaction(number, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    action.sa_handler = remove_files_and_die;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigaction(number, &action, nullptr);
  }
}

}  // namespace lftm_cli
