// SPDX-License-Identifier: BSD-3-Clause
#include "errors.h"

#include "lftm_host.h"

namespace lftm_py {
namespace {

namespace py = pybind11;

// The module holds the two types for the life of the interpreter; these are borrowed.
PyObject* error_type = nullptr;
PyObject* cancelled_type = nullptr;

}  // namespace

void add_error_types(py::module_& module) {
  error_type = PyErr_NewExceptionWithDoc(
      "lftm.Error",
      "A failed run. `code` is the library's negative result code; the message is its "
      "sentence.",
      PyExc_RuntimeError, nullptr);
  if (error_type == nullptr) throw py::error_already_set();
  module.add_object("Error", py::handle(error_type));
  cancelled_type = PyErr_NewExceptionWithDoc(
      "lftm.Cancelled", "A run that the progress callback stopped; nothing was written.",
      error_type, nullptr);
  if (cancelled_type == nullptr) throw py::error_already_set();
  module.add_object("Cancelled", py::handle(cancelled_type));
}

void throw_library_error(int32_t code, int32_t method, const std::string& what,
                         const std::string& line) {
  std::string message = line.empty() ? lftm_strerror(code, method) : line;
  if (!what.empty()) message = what + ": " + message;
  throw_error_sentence(code, message);
}

void throw_error_sentence(int32_t code, const std::string& message) {
  PyObject* type = code == LFTM_ERR_CANCELLED ? cancelled_type : error_type;
  py::object error = py::reinterpret_borrow<py::object>(type)(message);
  error.attr("code") = code;
  PyErr_SetObject(type, error.ptr());
  throw py::error_already_set();
}

void RunMessages::install(lftm_options* options) {
  options->messages = LFTM_MESSAGES_CALLBACK;
  options->message = &RunMessages::on_line;
  options->message_user = this;
}

std::string RunMessages::reason_for(int32_t code) const {
  const bool detailed = code == LFTM_ERR_OVER_LIMIT || code == LFTM_ERR_TEMP_MISSING ||
                        code == LFTM_ERR_TEMP_NOT_WRITABLE;
  return detailed ? last_ : std::string();
}

// Called on the thread of the run, without the GIL: plain C++ only.
void RunMessages::on_line(void* user, int32_t /*stream*/, const char* line) {
  static_cast<RunMessages*>(user)->last_ = line;
}

}  // namespace lftm_py
