// SPDX-License-Identifier: BSD-3-Clause
#include "released_gil.h"

#include <unistd.h>

namespace lftm_py {

bool interpreter_finalizing() {
#if PY_VERSION_HEX >= 0x030D0000
  return Py_IsFinalizing() != 0;
#else
  return _Py_IsFinalizing() != 0;
#endif
}

ReleasedGil::ReleasedGil() : state_(PyEval_SaveThread()) {}

ReleasedGil::~ReleasedGil() {
  if (interpreter_finalizing()) {
    for (;;) pause();
  }
  PyEval_RestoreThread(state_);
}

}  // namespace lftm_py
