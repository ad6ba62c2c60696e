// SPDX-License-Identifier: BSD-3-Clause
#include "progress_hook.h"

#include <utility>

#include "released_gil.h"

namespace lftm_py {

namespace py = pybind11;

ProgressHook::ProgressHook(py::object callback) : callback_(std::move(callback)) {
  if (!callback_.is_none() && !PyCallable_Check(callback_.ptr())) {
    throw py::type_error("progress must be callable (it is given the fraction done) or None");
  }
}

void ProgressHook::install(lftm_options* options) {
  options->progress = &ProgressHook::on_progress;
  options->progress_user = this;
}

void ProgressHook::rethrow_pending() {
  if (pending_) {
    py::error_already_set pending = std::move(*pending_);
    pending_.reset();
    throw pending;
  }
}

int32_t ProgressHook::on_progress(void* user, float fraction, const char* /*step*/) {
  auto* hook = static_cast<ProgressHook*>(user);
  // A thread that asks for the GIL of a finalizing interpreter is ended on the spot; stop
  // the run instead, without touching Python.
  if (interpreter_finalizing()) return 1;
  py::gil_scoped_acquire gil;
  if (hook->pending_) return 1;
  try {
    // Signal handlers run only here while the library works: Ctrl-C becomes a cancel.
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    if (hook->callback_.is_none()) return 0;
    const py::object answer = hook->callback_(fraction);
    const int cancel = PyObject_IsTrue(answer.ptr());
    if (cancel < 0) throw py::error_already_set();
    return cancel;
  } catch (py::error_already_set& e) {
    hook->pending_.emplace(std::move(e));
  } catch (const std::exception& e) {
    PyErr_SetString(PyExc_RuntimeError, e.what());
    hook->pending_.emplace();
  }
  return 1;
}

}  // namespace lftm_py
