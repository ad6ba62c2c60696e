// SPDX-License-Identifier: BSD-3-Clause
// The functions of the module: read, info, tonemap and tonemap_file.
#ifndef LFTM_PYTHON_CALLS_H_
#define LFTM_PYTHON_CALLS_H_

#include <pybind11/pybind11.h>

namespace lftm_py {

void add_calls(pybind11::module_& module);

}  // namespace lftm_py

#endif  // LFTM_PYTHON_CALLS_H_
