// SPDX-License-Identifier: BSD-3-Clause
// The GIL released for the time of a library call, in a way that survives the interpreter
// shutting down meanwhile. Once the interpreter finalizes, a thread that asks for the GIL
// is ended by pthread_exit, a forced unwind that aborts the process when it leaves a
// destructor (pybind11's gil_scoped_release takes the GIL back in its destructor). Here a
// thread never asks for the GIL after finalization has begun.
#ifndef LFTM_PYTHON_RELEASED_GIL_H_
#define LFTM_PYTHON_RELEASED_GIL_H_

#include <pybind11/pybind11.h>

namespace lftm_py {

// True once the interpreter has begun to finalize; safe without the GIL.
bool interpreter_finalizing();

class ReleasedGil {
 public:
  ReleasedGil();
  // Takes the GIL back; when the interpreter is finalizing, parks the thread for good
  // instead (the process is about to end, and the thread may touch nothing of Python).
  ~ReleasedGil();
  ReleasedGil(const ReleasedGil&) = delete;
  ReleasedGil& operator=(const ReleasedGil&) = delete;

 private:
  PyThreadState* state_;
};

}  // namespace lftm_py

#endif  // LFTM_PYTHON_RELEASED_GIL_H_
