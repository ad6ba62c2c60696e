// SPDX-License-Identifier: BSD-3-Clause
#include "settings_binding.h"

#include <iterator>
#include <string>
#include <vector>

#include "errors.h"
#include "lftm.h"
#include "lftm_host.h"

namespace lftm_py {
namespace {

namespace py = pybind11;

int32_t method_arg(const py::handle& method) {
  const int32_t code = py::isinstance<py::str>(method) ? method_of_name(method.cast<std::string>())
                                                        : 0;
  if (code == 0) {
    throw py::value_error("method must be \"booster\" or \"squeezer\", not " +
                          std::string(py::repr(method)));
  }
  return code;
}

std::string names_text(const MethodBlock& block) {
  std::string text;
  for (const std::string& name : block.names()) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::string unknown_text(const MethodBlock& block, const std::string& name) {
  return std::string("the ") + name_of_method(block.method()) + " has no setting \"" + name +
         "\"; its settings are " + names_text(block);
}

py::object python_value(const SettingValue& value) {
  if (value.is_text) return py::str(value.text);
  return py::float_(value.number);
}

// Stores one setting; TypeError for an unknown name (AttributeError when set as an
// attribute) or a value of the wrong kind, ValueError for one out of range.
void set_named(MethodBlock* block, const std::string& name, const py::handle& value,
               bool as_attribute) {
  const int32_t index = block->find(name);
  if (index < 0) {
    if (as_attribute) throw py::attribute_error(unknown_text(*block, name));
    throw py::type_error(unknown_text(*block, name));
  }
  SettingValue given;
  if (py::isinstance<py::str>(value)) {
    given.is_text = true;
    given.text = value.cast<std::string>();
  } else {
    PyObject* number = PyNumber_Float(value.ptr());
    if (number == nullptr) {
      PyErr_Clear();
      given.is_text = true;  // refused as the wrong kind below, with the setting's own wording
      given.text = std::string(py::str(py::type::handle_of(value).attr("__name__")));
    } else {
      given.number = PyFloat_AsDouble(number);
      Py_DECREF(number);
    }
  }
  const SetResult result = block->set(index, given);
  if (result.refusal == Refusal::kWrongKind) throw py::type_error(result.message);
  if (result.refusal == Refusal::kOutOfRange) throw py::value_error(result.message);
}

void set_all(MethodBlock* block, const py::kwargs& named) {
  for (auto item : named) set_named(block, item.first.cast<std::string>(), item.second, false);
}

py::dict as_dict(const MethodBlock& block) {
  py::dict values;
  const std::vector<std::string> names = block.names();
  for (size_t i = 0; i < names.size(); ++i) {
    values[py::str(names[i])] = python_value(block.get(static_cast<int32_t>(i)));
  }
  return values;
}

std::string repr_of(const MethodBlock& block) {
  std::string text = std::string("lftm.Settings(\"") + name_of_method(block.method()) + "\"";
  std::string odd;  // names that are no identifiers go into a ** dict
  const std::vector<std::string> names = block.names();
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    const SettingValue value = block.get(static_cast<int32_t>(i));
    const std::string shown = value.is_text
                                  ? "\"" + value.text + "\""
                                  : shortest_text(static_cast<float>(value.number));
    if (py::str(name).attr("isidentifier")().cast<bool>()) {
      text += ", " + name + "=" + shown;
    } else {
      odd += std::string(odd.empty() ? "" : ", ") + "\"" + name + "\": " + shown;
    }
  }
  if (!odd.empty()) text += ", **{" + odd + "}";
  return text + ")";
}

// Reads a sidecar for `method` (0: the method the file names, else the Texture Booster)
// through the library's strict reader, which the command-line tool uses too.
MethodBlock load_sidecar(const std::string& path, int32_t method) {
  int32_t read_method = method;
  TmParam read;
  char why[512];
  const int32_t result = lftm_load_settings(path.c_str(), &read_method, &read, why, sizeof why);
  if (result < 0) throw_error_sentence(result, why);
  if (read_method != LFTM_METHOD_TEXTURE_BOOSTER && read_method != LFTM_METHOD_RANGE_SQUEEZER) {
    throw_error_sentence(LFTM_ERR_XMP_METHOD,
                         path + " holds " + lftm_settings_method_name(read_method) +
                             " settings, not Texture Booster or Range Squeezer ones");
  }
  MethodBlock block(read_method);
  std::vector<std::string> notes;
  const std::string problem = block.take_read_block(read, &notes);
  if (!problem.empty()) throw py::value_error(path + ": " + problem);
  for (const std::string& note : notes) {
    // Raises instead when warnings are turned into errors.
    if (PyErr_WarnEx(PyExc_UserWarning, (path + ": " + note).c_str(), 2) < 0) {
      throw py::error_already_set();
    }
  }
  return block;
}

py::list names_of(const MethodBlock& block) {
  py::list names;
  for (const std::string& name : block.names()) names.append(name);
  return names;
}

}  // namespace

std::string path_of(const py::handle& path) {
  std::string bytes = py::module_::import("os").attr("fsencode")(path).cast<std::string>();
  // The C interface ends a path at its first NUL, so such a path would name another file.
  if (bytes.find('\0') != std::string::npos) {
    throw py::value_error("embedded null byte in the path " + std::string(py::repr(path)));
  }
  return bytes;
}

MethodBlock settings_for_run(const py::object& method, const py::object& settings,
                             const py::kwargs& named) {
  const int32_t wanted = method.is_none() ? 0 : method_arg(method);
  MethodBlock block(wanted == 0 ? LFTM_METHOD_TEXTURE_BOOSTER : wanted);
  if (py::isinstance<MethodBlock>(settings)) {
    block = settings.cast<MethodBlock>();
    if (wanted != 0 && wanted != block.method()) {
      throw py::value_error(std::string("settings of the ") + name_of_method(block.method()) +
                            " given for the " + name_of_method(wanted));
    }
  } else if (!settings.is_none()) {
    block = load_sidecar(path_of(settings), wanted);
  }
  set_all(&block, named);
  return block;
}

namespace {

constexpr char kSettingsDoc[] = R"(Settings of a tone-mapping method by their sidecar names.

Settings("booster") or Settings("squeezer", Brightness=2): the defaults, then the named
values. Read and assign settings as attributes (s.Strength = 60); a value is checked against
the setting's range and kept as precisely as a settings sidecar stores it.)";

// Equal when they render alike: the same method and the same blocks.
py::object equals(const MethodBlock& a, const py::object& other) {
  if (!py::isinstance<MethodBlock>(other)) {
    return py::reinterpret_borrow<py::object>(Py_NotImplemented);
  }
  const MethodBlock& b = other.cast<const MethodBlock&>();
  const TmParam x = a.block();
  const TmParam y = b.block();
  bool same = a.method() == b.method();
  for (size_t i = 0; same && i < std::size(x.tmParam); ++i) same = x.tmParam[i] == y.tmParam[i];
  return py::bool_(same);
}

}  // namespace

void add_settings_type(py::module_& module) {
  py::class_<MethodBlock>(module, "Settings", kSettingsDoc)
      .def(py::init([](const py::object& method, const py::kwargs& named) {
             MethodBlock block(method_arg(method));
             set_all(&block, named);
             return block;
           }),
           py::arg("method") = "booster")
      .def_property_readonly(
          "method", [](const MethodBlock& b) { return name_of_method(b.method()); },
          "\"booster\" or \"squeezer\".")
      .def("names", &names_of, "The setting names of the method, in order.")
      .def("to_dict", &as_dict, "The settings as a dict of name to value.")
      .def("copy", [](const MethodBlock& b) { return b; })
      .def("__copy__", [](const MethodBlock& b) { return b; })
      .def("__deepcopy__", [](const MethodBlock& b, const py::object&) { return b; })
      .def("__getattr__",
           [](const MethodBlock& b, const std::string& name) {
             const int32_t index = b.find(name);
             if (index < 0) throw py::attribute_error(unknown_text(b, name));
             return python_value(b.get(index));
           })
      .def("__setattr__",
           [](MethodBlock& b, const std::string& name, const py::object& value) {
             set_named(&b, name, value, true);
           })
      .def("__dir__",
           [](const py::object& self) {
             py::list names = py::module_::import("builtins").attr("object").attr("__dir__")(self);
             for (const std::string& name : self.cast<const MethodBlock&>().names()) {
               names.append(name);
             }
             return names;
           })
      .def("__eq__", &equals)
      .def("__repr__", &repr_of)
      .def_static(
          "load",
          [](const py::object& path, const py::object& method) {
            return load_sidecar(path_of(path), method.is_none() ? 0 : method_arg(method));
          },
          py::arg("path"), py::arg("method") = py::none(),
          "Reads a settings sidecar (as lftm --settings does). The method is the file's unless "
          "given. Values outside their range are brought into it with a warning; a value that "
          "cannot be read raises lftm.Error naming the setting.")
      .def(
          "save",
          [](const MethodBlock& b, const py::object& path, bool overwrite) {
            const std::string file = path_of(path);
            const TmParam block = b.block();
            const int32_t result = lftm_save_settings(file.c_str(), b.method(), &block,
                                                      overwrite ? LFTM_SAVE_OVERWRITE : 0);
            if (result < 0) throw_library_error(result, b.method(), file);
          },
          py::arg("path"), py::arg("overwrite") = false,
          "Writes the settings as a sidecar (as lftm --save-settings does), whole or not at "
          "all. An existing file is replaced only when it is a settings sidecar, unless "
          "overwrite is true; otherwise lftm.Error is raised and the file is left alone.")
      // Every protocol (0 and 1 included) rebuilds through the constructor:
      // Settings(method, **values). pybind11 would take a __setstate__ for a constructor,
      // which protocols 0 and 1 cannot call.
      .def("__reduce_ex__", [](const py::object& self, int /*protocol*/) {
        const MethodBlock& b = self.cast<const MethodBlock&>();
        const py::object rebuild =
            py::module_::import("functools").attr("partial")(py::type::of(self), **as_dict(b));
        return py::make_tuple(rebuild, py::make_tuple(name_of_method(b.method())));
      });
}

}  // namespace lftm_py
