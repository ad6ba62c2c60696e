// SPDX-License-Identifier: BSD-3-Clause
// The progress hook every run installs: it hands the fraction done to the caller's Python
// callback and stops the run when the callback returns True, raises, or when Ctrl-C
// (a pending KeyboardInterrupt) arrives. The library calls it on the thread that made the
// call, while the GIL is released; the hook takes the GIL for the time of the callback. Once
// the interpreter finalizes, the hook cancels the run without touching Python.
#ifndef LFTM_PYTHON_PROGRESS_HOOK_H_
#define LFTM_PYTHON_PROGRESS_HOOK_H_

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>

#include "lftm_host.h"

namespace lftm_py {

class ProgressHook {
 public:
  // `callback` may be None: the hook still watches for Ctrl-C.
  explicit ProgressHook(pybind11::object callback);

  void install(lftm_options* options);

  // After the run, with the GIL held: rethrows what stopped the run (the callback's exception
  // or KeyboardInterrupt). A run the callback cancelled by returning True gives lftm.Cancelled
  // through the library's code.
  void rethrow_pending();

 private:
  static int32_t on_progress(void* user, float fraction, const char* step);

  pybind11::object callback_;
  std::optional<pybind11::error_already_set> pending_;
};

}  // namespace lftm_py

#endif  // LFTM_PYTHON_PROGRESS_HOOK_H_
