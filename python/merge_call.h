// SPDX-License-Identifier: BSD-3-Clause
// lftm.merge: the HDR radiance of bracketed frames, given as paths or as numpy arrays.
#ifndef LFTM_PYTHON_MERGE_CALL_H_
#define LFTM_PYTHON_MERGE_CALL_H_

#include <pybind11/pybind11.h>

namespace lftm_py {

void add_merge_call(pybind11::module_& module);

}  // namespace lftm_py

#endif  // LFTM_PYTHON_MERGE_CALL_H_
