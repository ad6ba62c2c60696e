// SPDX-License-Identifier: BSD-3-Clause
#include "platform/live_files.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace lftm {
namespace {

// A slot moves free -> filling -> live under the mutex; a signal handler takes a live slot
// with one compare-and-swap (live -> unlinking) and frees it when the file is gone. A path is
// written only while its slot is filling, so the handler never reads a path being written.
enum SlotState : int { kFree, kFilling, kLive, kUnlinking };

struct Slot {
  std::atomic<int> state{kFree};
  char path[kLiveFilePathBytes];
};

static_assert(std::atomic<int>::is_always_lock_free, "the handler's atomics must not lock");

Slot g_slots[kLiveFileSlots];
// Serialises recording and forgetting between threads; the handler never takes it.
std::mutex g_mutex;

}  // namespace

bool live_file_add(const char* path) {
  const size_t length = std::strlen(path);
  if (length >= static_cast<size_t>(kLiveFilePathBytes)) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  for (Slot& slot : g_slots) {
    if (slot.state.load(std::memory_order_acquire) != kFree) continue;
    slot.state.store(kFilling, std::memory_order_relaxed);
    std::memcpy(slot.path, path, length + 1);
    slot.state.store(kLive, std::memory_order_release);
    return true;
  }
  return false;
}

void live_file_drop(const char* path) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (Slot& slot : g_slots) {
    int expected = kLive;
    if (slot.state.load(std::memory_order_acquire) != kLive || std::strcmp(slot.path, path) != 0) {
      continue;
    }
    // Fails only when a handler is removing the file at this moment; it frees the slot.
    slot.state.compare_exchange_strong(expected, kFree, std::memory_order_acq_rel);
    return;
  }
}

int live_files_unlink_all() {
  int count = 0;
  for (Slot& slot : g_slots) {
    int expected = kLive;
    if (!slot.state.compare_exchange_strong(expected, kUnlinking, std::memory_order_acq_rel)) {
      continue;
    }
    unlink(slot.path);
    slot.state.store(kFree, std::memory_order_release);
    ++count;
  }
  return count;
}

SignalsHeld::SignalsHeld() {
  sigset_t all;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace lftm
