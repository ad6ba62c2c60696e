// SPDX-License-Identifier: BSD-3-Clause
#include "image_arrays.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace lftm_py {
namespace {

namespace py = pybind11;

int channels_of(const py::array& a) {
  if (a.ndim() == 2) return 1;
  if (a.ndim() == 3 && (a.shape(2) == 1 || a.shape(2) == 3 || a.shape(2) == 4)) {
    return static_cast<int>(a.shape(2));
  }
  return 0;
}

std::string shape_text(const py::array& a) {
  std::string text = "(";
  for (py::ssize_t i = 0; i < a.ndim(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(a.shape(i));
  }
  return text + (a.ndim() == 1 ? ",)" : ")");
}

// Whether the library can read the array where it is: float32 samples packed within each
// row, rows at least a row apart. Alignment does not matter: rows are copied byte-wise.
bool viewable(const py::array& a, int channels) {
  constexpr py::ssize_t kSample = sizeof(float);
  if (!a.dtype().is(py::dtype::of<float>())) return false;
  if (a.ndim() == 3 && channels > 1 && a.strides(2) != kSample) return false;
  if (a.shape(1) > 1 && a.strides(1) != kSample * channels) return false;
  return a.shape(0) == 1 || a.strides(0) >= kSample * channels * a.shape(1);
}

// Why the sample at (y, x, channel) is not finite: a float64 value beyond the float32
// range became infinite in the copy; anything else was NaN or infinite already.
std::string non_finite_text(const py::array& given, int64_t y, int64_t x, int64_t channel) {
  const std::string where = " at row " + std::to_string(y) + ", column " + std::to_string(x);
  if (given.itemsize() == 8) {
    py::tuple index = given.ndim() == 2 ? py::make_tuple(y, x) : py::make_tuple(y, x, channel);
    const double value = given[index].cast<double>();
    if (std::isfinite(value)) {
      return "image sample " + std::string(py::repr(py::float_(value))) + where +
             " is too large for 32-bit floats (at most about 3.4e38); scale the image down";
    }
  }
  return "image has a NaN or infinite sample" + where +
         "; replace it (numpy.nan_to_num) before tone mapping";
}

// Refuses NaN and infinity: the library would take them as black, which hides a fault in
// the caller's data. `given` is the caller's array, for the message.
void check_finite(const lftm_image& view, const py::array& given) {
  const auto* base = static_cast<const unsigned char*>(view.pixels);
  const int64_t samples = view.width * view.channels;
  const int64_t stride =
      view.row_stride != 0 ? view.row_stride : samples * static_cast<int64_t>(sizeof(float));
  std::vector<float> row(static_cast<size_t>(samples));
  for (int64_t y = 0; y < view.height; ++y) {
    std::memcpy(row.data(), base + y * stride, row.size() * sizeof(float));  // any alignment
    for (int64_t i = 0; i < samples; ++i) {
      if (!std::isfinite(row[i])) {
        throw py::value_error(non_finite_text(given, y, i / view.channels, i % view.channels));
      }
    }
  }
}

// A packed float32 copy of `a`. A copy too large for the memory raises MemoryError saying
// so (numpy's own error would be lost in a TypeError).
py::array packed_float32(const py::array& a) {
  try {
    return py::array_t<float, py::array::c_style | py::array::forcecast>(a);
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_MemoryError)) throw;
  }
  const double bytes = static_cast<double>(a.size()) * sizeof(float);
  char gigabytes[32];
  std::snprintf(gigabytes, sizeof gigabytes, "%.1f", bytes / 1e9);
  PyErr_SetString(PyExc_MemoryError,
                  ("the image must be copied into packed float32 samples, " +
                   std::string(gigabytes) + " GB, and that memory cannot be had; pass a " +
                   "packed float32 array or a smaller image")
                      .c_str());
  throw py::error_already_set();
}

}  // namespace

InputImage view_input(const py::handle& image) {
  py::array a = py::array::ensure(image);
  if (!a) throw py::type_error("image must be a numpy array of float32 or float64 samples");
  const char kind = a.dtype().kind();
  if (kind != 'f' || (a.itemsize() != 4 && a.itemsize() != 8)) {
    throw py::type_error("image must hold float32 or float64 samples, not " +
                         std::string(py::str(a.dtype())));
  }
  const int channels = channels_of(a);
  if (channels == 0) {
    throw py::value_error("image must be H x W (grey), H x W x 3 (RGB) or H x W x 4 (RGBA), "
                          "not " + shape_text(a));
  }
  if (a.shape(0) < 1 || a.shape(1) < 1) throw py::value_error("image is empty");
  const py::array given = a;
  if (!viewable(a, channels)) a = packed_float32(a);
  InputImage input{a, {}};
  lftm_image_init(&input.view, sizeof input.view, LFTM_SAMPLE_FLOAT32, channels, a.shape(1),
                  a.shape(0), const_cast<void*>(a.data()));
  if (a.shape(0) > 1) input.view.row_stride = a.strides(0);
  check_finite(input.view, given);
  return input;
}

py::array make_output(const InputImage& input, int bits, lftm_image* view) {
  std::vector<py::ssize_t> shape(input.pixels.shape(), input.pixels.shape() + input.pixels.ndim());
  py::array out = bits == 16 ? py::array(py::dtype::of<uint16_t>(), shape)
                             : py::array(py::dtype::of<uint8_t>(), shape);
  lftm_image_init(view, sizeof *view, bits == 16 ? LFTM_SAMPLE_UINT16 : LFTM_SAMPLE_UINT8,
                  input.view.channels, input.view.width, input.view.height, out.mutable_data());
  return out;
}

py::array make_rgb_float(int64_t width, int64_t height, lftm_image* view) {
  py::array_t<float> out({static_cast<py::ssize_t>(height), static_cast<py::ssize_t>(width),
                          static_cast<py::ssize_t>(3)});
  lftm_image_init(view, sizeof *view, LFTM_SAMPLE_FLOAT32, 3, width, height, out.mutable_data());
  return out;
}

}  // namespace lftm_py
