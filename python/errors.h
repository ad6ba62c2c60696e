// lftm.Error (a RuntimeError carrying the library's result code and its sentence) and
// lftm.Cancelled, the error of a run that the progress callback stopped.
#ifndef LFTM_PYTHON_ERRORS_H_
#define LFTM_PYTHON_ERRORS_H_

#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>

namespace lftm_py {

// Adds Error and Cancelled to the module.
void add_error_types(pybind11::module_& module);

// Throws lftm.Error (lftm.Cancelled for LFTM_ERR_CANCELLED) for a negative result `code` of
// a run of `method`; `what` (a path, or "") leads the message.
[[noreturn]] void throw_library_error(int32_t code, int32_t method, const std::string& what);

// Throws lftm.Error carrying `code` with the library's own `sentence` as the message.
[[noreturn]] void throw_error_sentence(int32_t code, const std::string& sentence);

}  // namespace lftm_py

#endif  // LFTM_PYTHON_ERRORS_H_
