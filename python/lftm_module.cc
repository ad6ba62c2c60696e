// SPDX-License-Identifier: BSD-3-Clause
// The Python module lftm: tone mapping of HDR images held in numpy arrays or files.
#include <pybind11/pybind11.h>

#include "calls.h"
#include "errors.h"
#include "merge_call.h"
#include "lftm.h"
#include "settings_binding.h"

PYBIND11_MODULE(lftm, module) {
  module.doc() = "Tone mapping of high-dynamic-range photographs (numpy arrays and files).";
  module.attr("__version__") = std::to_string(LFTM_VERSION_MAJOR) + "." +
                               std::to_string(LFTM_VERSION_MINOR) + "." +
                               std::to_string(LFTM_VERSION_PATCH);
  lftm_py::add_error_types(module);
  lftm_py::add_settings_type(module);
  lftm_py::add_calls(module);
  lftm_py::add_merge_call(module);
}
