// SPDX-License-Identifier: BSD-3-Clause
// numpy arrays as the library's image views: the HDR input (float32 or float64; H x W grey,
// H x W x 3 RGB or H x W x 4 RGBA) and the tone-mapped output (uint8 or uint16, same shape).
#ifndef LFTM_PYTHON_IMAGE_ARRAYS_H_
#define LFTM_PYTHON_IMAGE_ARRAYS_H_

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "lftm_host.h"

namespace lftm_py {

// An input array viewed as float32 rows. `pixels` keeps the array (or its float32 copy) alive.
struct InputImage {
  pybind11::array pixels;
  lftm_image view;
};

// Checks the array and views it; a copy is made only when the rows are not float32 samples
// packed pixel after pixel. TypeError for another dtype, ValueError for another shape, an
// empty image, or a sample that is NaN or infinite (or, in float64, beyond the float32
// range). MemoryError when the float32 copy cannot be had.
InputImage view_input(const pybind11::handle& image);

// A new array for the output of `input` with `bits` 8 or 16, and its view in `view`.
pybind11::array make_output(const InputImage& input, int bits, lftm_image* view);

// A new H x W x 3 float32 array, and its view in `view`.
pybind11::array make_rgb_float(int64_t width, int64_t height, lftm_image* view);

}  // namespace lftm_py

#endif  // LFTM_PYTHON_IMAGE_ARRAYS_H_
