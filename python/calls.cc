// SPDX-License-Identifier: BSD-3-Clause
#include "calls.h"

#include <pybind11/numpy.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "errors.h"
#include "image_arrays.h"
#include "lftm_host.h"
#include "progress_hook.h"
#include "released_gil.h"
#include "settings_binding.h"

namespace lftm_py {
namespace {

namespace py = pybind11;

constexpr int kMaxThreads = 32;

// An integer argument within [low, high]: TypeError for what is no int, ValueError with
// `wants` for any int outside the range, however large.
int64_t int_argument(const py::handle& value, const char* name, int64_t low, int64_t high,
                     const char* wants) {
  if (!PyIndex_Check(value.ptr())) {
    throw py::type_error(std::string(name) + " must be an int, not " +
                         std::string(py::str(py::type::handle_of(value).attr("__name__"))));
  }
  // numpy integers too, through __index__.
  const py::object integer = py::reinterpret_steal<py::object>(PyNumber_Index(value.ptr()));
  if (!integer) throw py::error_already_set();
  int overflow = 0;
  const long long number = PyLong_AsLongLongAndOverflow(integer.ptr(), &overflow);
  if (overflow != 0 || number < low || number > high) {
    throw py::value_error(std::string(name) + " must be " + wants + ", not " +
                          std::string(py::str(value)));
  }
  return number;
}

// The options of a run with `block`'s settings; ValueError for bits, threads or a memory limit
// out of range.
lftm_options run_options(const MethodBlock& block, const py::handle& bits,
                         const py::handle& threads, bool disk, const py::handle& memoryLimit) {
  lftm_options options;
  lftm_options_init(&options, sizeof options, block.method());
  const int64_t depth = int_argument(bits, "bits", 8, 16, "8 or 16");
  if (depth != 8 && depth != 16) {
    throw py::value_error("bits must be 8 or 16, not " + std::to_string(depth));
  }
  options.bits = static_cast<int32_t>(depth);
  options.threads = static_cast<int32_t>(
      int_argument(threads, "threads", 0, kMaxThreads, "0 (one per processor) to 32"));
  options.memory_limit =
      int_argument(memoryLimit, "memory_limit", 0, std::numeric_limits<int64_t>::max(),
                   "0 (the default) or a number of bytes");
  options.settings = block.block();
  options.disk = disk ? 1 : 0;
  return options;
}

// Runs `call` with the GIL released, then raises what stopped it: the progress callback's
// exception or KeyboardInterrupt first (`hook` may be null), else lftm.Error for a negative
// result.
template <typename Call>
void run_released(ProgressHook* hook, int32_t method, const std::string& what, Call call,
                  const RunMessages* messages = nullptr) {
  int32_t result;
  {
    ReleasedGil released;
    result = call();
  }
  if (hook != nullptr) hook->rethrow_pending();
  if (result < 0) {
    throw_library_error(result, method, what,
                        messages != nullptr ? messages->reason_for(result) : "");
  }
}

std::string lower_extension(const std::string& path) {
  const size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// The output must be JPEG (8 bits) or TIFF, told by its extension as the tool tells it.
void check_output_name(const std::string& path, int bits) {
  const std::string ext = lower_extension(path);
  if (ext == "jpg" || ext == "jpeg") {
    if (bits == 16) throw py::value_error("JPEG holds 8 bits a sample; write a .tif for 16 bits");
    return;
  }
  if (ext != "tif" && ext != "tiff") {
    throw py::value_error("the output must end in .jpg, .jpeg, .tif or .tiff: " + path);
  }
}

// Writing over the input would replace the HDR original with its tone-mapped image.
void check_not_input(const std::string& in, const std::string& out) {
  struct stat source, target;
  if (stat(in.c_str(), &source) == 0 && stat(out.c_str(), &target) == 0 &&
      source.st_dev == target.st_dev && source.st_ino == target.st_ino) {
    throw py::value_error("the output is the input file " + in + "; choose another name");
  }
}

// FileExistsError for an existing file that lftm did not write (unless `overwrite`), and
// lftm.Error for a name that is never written: a folder, device, pipe or socket, or a file
// the user may not write.
void check_output_target(const std::string& out, bool overwrite, int32_t method) {
  const int32_t checked = lftm_check_output(out.c_str(), nullptr, overwrite ? 1 : 0);
  if (checked == LFTM_ERR_OUTPUT_EXISTS) {
    const std::string message =
        out + " exists and was not written by lftm: pass overwrite=True to replace it";
    PyErr_SetString(PyExc_FileExistsError, message.c_str());
    throw py::error_already_set();
  }
  if (checked < 0) throw_library_error(checked, method, out);
}

lftm_file_info read_info(const std::string& path, bool stats) {
  lftm_file_info info{};
  info.struct_size = sizeof info;
  run_released(nullptr, 0, path,
               [&] { return lftm_read_info(path.c_str(), &info, stats ? 1 : 0); });
  return info;
}

const char* format_name(int32_t format) {
  switch (format) {
    case LFTM_FORMAT_RADIANCE: return "Radiance RGBE";
    case LFTM_FORMAT_OPENEXR: return "OpenEXR";
    case LFTM_FORMAT_TIFF_16:
    case LFTM_FORMAT_TIFF_FLOAT: return "TIFF";
    default: return "unknown";
  }
}

py::array read(const py::object& path_object) {
  const std::string path = path_of(path_object);
  const lftm_file_info info = read_info(path, false);
  lftm_image view;
  py::array pixels = make_rgb_float(info.width, info.height, &view);
  lftm_options options;
  lftm_options_init(&options, sizeof options, LFTM_METHOD_TEXTURE_BOOSTER);
  ProgressHook hook{py::none()};
  hook.install(&options);
  run_released(&hook, 0, path, [&] { return lftm_read_image(path.c_str(), &view, &options); });
  return pixels;
}

py::dict info(const py::object& path_object) {
  const std::string path = path_of(path_object);
  const lftm_file_info info = read_info(path, true);
  py::dict d;
  d["width"] = info.width;
  d["height"] = info.height;
  d["format"] = format_name(info.format);
  d["channels"] = info.channels;
  d["bits"] = info.file_bits;
  d["float_samples"] = info.format == LFTM_FORMAT_OPENEXR || info.format == LFTM_FORMAT_TIFF_FLOAT;
  if (info.has_stats) {
    d["log_min"] = info.log_min;
    d["log_max"] = info.log_max;
    d["log_mean"] = info.log_mean;
    d["lum_min"] = info.lum_min;
    d["lum_max"] = info.lum_max;
    d["lum_geomean"] = info.lum_geomean;
    d["dynamic_range_stops"] = (info.log_max - info.log_min) / std::log(2.0);
  }
  return d;
}

py::array tonemap(const py::object& image, const py::object& method, const py::object& bits,
                  const py::object& threads, bool disk, const py::object& settings,
                  const py::object& progress, const py::object& memoryLimit,
                  const py::kwargs& named) {
  const MethodBlock block = settings_for_run(method, settings, named);
  lftm_options options = run_options(block, bits, threads, disk, memoryLimit);
  InputImage input = view_input(image);
  lftm_image output_view;
  py::array output = make_output(input, options.bits, &output_view);
  ProgressHook hook{progress};
  hook.install(&options);
  RunMessages messages;
  messages.install(&options);
  run_released(
      &hook, block.method(), "",
      [&] { return lftm_tonemap_image(&input.view, &output_view, &options); }, &messages);
  return output;
}

void tonemap_file(const py::object& source, const py::object& target, const py::object& method,
                  const py::object& bits, const py::object& threads, bool disk,
                  const py::object& settings, const py::object& progress,
                  const py::object& memoryLimit, bool overwrite, const py::kwargs& named) {
  const std::string in = path_of(source);
  const std::string out = path_of(target);
  const MethodBlock block = settings_for_run(method, settings, named);
  lftm_options options = run_options(block, bits, threads, disk, memoryLimit);
  options.overwrite = overwrite ? 1 : 0;
  check_output_name(out, options.bits);
  check_not_input(in, out);
  check_output_target(out, overwrite, block.method());
  ProgressHook hook{progress};
  hook.install(&options);
  RunMessages messages;
  messages.install(&options);
  run_released(
      &hook, block.method(), in,
      [&] { return lftm_tonemap_file(in.c_str(), out.c_str(), &options); }, &messages);
}

}  // namespace

void add_calls(py::module_& m) {
  m.def("read", &read, py::arg("path"),
        R"(Reads an HDR file (Radiance, OpenEXR, or TIFF with 16-bit or float samples) into a
float32 array of shape (height, width, 3), linear RGB.)");
  m.def("info", &info, py::arg("path"),
        R"(Size, format and luminance statistics of an HDR file, as `lftm info` prints them:
a dict with width, height, format, channels, bits, float_samples, log_min, log_max, log_mean,
lum_min, lum_max, lum_geomean and dynamic_range_stops.)");
  m.def("tonemap", &tonemap, py::arg("image"), py::arg("method") = py::none(),
        py::arg("bits") = 8, py::arg("threads") = 0, py::arg("disk") = false,
        py::arg("settings") = py::none(), py::arg("progress") = py::none(),
        py::arg("memory_limit") = 0,
        R"(Tone maps an HDR image: float32 or float64, (H, W) grey, (H, W, 3) RGB or (H, W, 4)
RGBA, linear light. Returns uint8 (bits=8) or uint16 (bits=16) of the same shape.

method: "booster" (the default, unless `settings` says otherwise) or "squeezer".
threads: worker threads, 0 for one per processor; every count gives the same result.
disk: keep the large planes in scratch files in $TMPDIR (for images larger than memory).
memory_limit: bytes the run may use (0: a third of the memory available); a run that needs
more is refused (lftm.Error), and disk mode keeps in memory what the limit leaves (faster).
settings: a Settings, or the path of a settings sidecar.
progress: called with the fraction done (0..1) on the calling thread; return True to cancel
(lftm.Cancelled is raised). Ctrl-C cancels too.
Further keywords set settings by their sidecar names: Strength=60, Gamma=1.2, ...)");
  m.def("tonemap_file", &tonemap_file, py::arg("src"), py::arg("dst"),
        py::arg("method") = py::none(), py::arg("bits") = 8, py::arg("threads") = 0,
        py::arg("disk") = false, py::arg("settings") = py::none(),
        py::arg("progress") = py::none(), py::arg("memory_limit") = 0,
        py::arg("overwrite") = false,
        R"(Tone maps an HDR file into a JPEG (.jpg, .jpeg; 8 bits) or TIFF (.tif, .tiff) file, as
the lftm tool does; the arguments are those of tonemap. ValueError when dst is src (by any
name): the original is never written over. An existing dst is replaced only when lftm wrote
it, or with overwrite=True (FileExistsError otherwise); a folder, device, pipe or socket, or a
file you may not write, is never replaced (lftm.Error).)");
}

}  // namespace lftm_py
