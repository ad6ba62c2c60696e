// SPDX-License-Identifier: BSD-3-Clause
// lftm.Error (a RuntimeError carrying the library's result code and its sentence) and
// lftm.Cancelled, the error of a run that the progress callback stopped.
#ifndef LFTM_PYTHON_ERRORS_H_
#define LFTM_PYTHON_ERRORS_H_

#include <pybind11/pybind11.h>

#include <cstdint>
#include <string>

#include "lftm_host.h"

namespace lftm_py {

// Adds Error and Cancelled to the module.
void add_error_types(pybind11::module_& module);

// Throws lftm.Error (lftm.Cancelled for LFTM_ERR_CANCELLED) for a negative result `code` of
// a run of `method`; `what` (a path, or "") leads the message, and `line` (a message line of
// the run, or "") stands for the code's sentence when that leaves the numbers to the messages.
[[noreturn]] void throw_library_error(int32_t code, int32_t method, const std::string& what,
                                      const std::string& line = "");

// The library's message lines of a run, silent otherwise: the last one is kept, because the
// sentences of a memory limit passed or of an unusable temporary folder leave the numbers and
// the folder's name to the line printed just before the run stops.
class RunMessages {
 public:
  void install(lftm_options* options);

  // The last line when `code` is one whose sentence leaves its details to it, else "".
  std::string reason_for(int32_t code) const;

 private:
  static void on_line(void* user, int32_t stream, const char* line);

  std::string last_;
};

// Throws lftm.Error carrying `code` with the library's own `sentence` as the message.
[[noreturn]] void throw_error_sentence(int32_t code, const std::string& sentence);

}  // namespace lftm_py

#endif  // LFTM_PYTHON_ERRORS_H_
