// SPDX-License-Identifier: BSD-3-Clause
// lftm.Settings: a method's settings by their sidecar names, with defaults, checks on
// assignment, sidecar load and save, pickling and a repr that lists the values.
#ifndef LFTM_PYTHON_SETTINGS_BINDING_H_
#define LFTM_PYTHON_SETTINGS_BINDING_H_

#include <pybind11/pybind11.h>

#include "settings.h"

namespace lftm_py {

void add_settings_type(pybind11::module_& module);

// The settings of a run: `settings` (a Settings, a sidecar path, or None for the defaults)
// with the keyword settings applied on top in their order. `method` ("booster", "squeezer"
// or None: the method of `settings`, else the Texture Booster) must agree with `settings`.
MethodBlock settings_for_run(const pybind11::object& method, const pybind11::object& settings,
                             const pybind11::kwargs& named);

// The path a str, bytes or os.PathLike stands for, in the file system's encoding.
std::string path_of(const pybind11::handle& path);

}  // namespace lftm_py

#endif  // LFTM_PYTHON_SETTINGS_BINDING_H_
