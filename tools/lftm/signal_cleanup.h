// SPDX-License-Identifier: BSD-3-Clause
// Interrupting the tool (Ctrl-C, kill, a closed terminal) removes the scratch files and the
// unfinished output of the runs in progress before the process ends.
#ifndef LFTM_TOOLS_SIGNAL_CLEANUP_H_
#define LFTM_TOOLS_SIGNAL_CLEANUP_H_

#include <cstdint>

namespace lftm_cli {

// Installs handlers for SIGINT, SIGTERM and SIGHUP. A signal that comes while runs go on
// sets the cancel flag they were given, and the process ends by that signal as soon as the
// first of them returned, so that the library removes its own files on its way out. Outside
// runs, or at a second signal, the handler removes the library's temporaries itself and
// ends the process at once. Either way the exit status still tells it was killed. A signal
// that was ignored when the program started (nohup) stays ignored.
void install_signal_cleanup();

// The flag to hand every run as its cancel flag (lftm_options.cancel).
const volatile int32_t* run_cancel_flag();

// Marks the life of one run: while any lives, a signal cancels instead of ending the process
// at once; the destructor ends the process by the signal if one came.
class InterruptibleRun {
 public:
  InterruptibleRun();
  ~InterruptibleRun();
  InterruptibleRun(const InterruptibleRun&) = delete;
  InterruptibleRun& operator=(const InterruptibleRun&) = delete;
};

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_SIGNAL_CLEANUP_H_
