// SPDX-License-Identifier: BSD-3-Clause
// The files this process has made and must not leave behind: scratch files of disk mode and
// temporary outputs. They are recorded when made and forgotten when removed or renamed, so
// that a signal handler can remove whatever a run still owns before the process dies.
#ifndef LFTM_PLATFORM_LIVE_FILES_H_
#define LFTM_PLATFORM_LIVE_FILES_H_

#include <signal.h>

namespace lftm {

// Fixed storage: a path longer than kLiveFilePathBytes - 1, or a file made while
// kLiveFileSlots files are recorded already, goes unrecorded (the run still works; only a
// signal could then leave that file behind).
constexpr int kLiveFileSlots = 128;
constexpr int kLiveFilePathBytes = 4096;

// Records a file. Returns false when it could not be recorded. Thread-safe.
bool live_file_add(const char* path);

// Forgets the recorded file of that path, if any. Thread-safe.
void live_file_drop(const char* path);

// Removes every recorded file and forgets it; returns how many were recorded. Safe to call
// from a signal handler: it allocates nothing, takes no lock and calls only unlink().
int live_files_unlink_all();

// Blocks the asynchronous signals on the calling thread while it lives, so that a file is
// never made and yet unrecorded when a handler of this thread runs.
class SignalsHeld {
 public:
  SignalsHeld();
  ~SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_LIVE_FILES_H_
