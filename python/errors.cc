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

void throw_library_error(int32_t code, int32_t method, const std::string& what) {
  std::string message = lftm_strerror(code, method);
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

}  // namespace lftm_py
