// SPDX-License-Identifier: BSD-3-Clause
#include "merge_call.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "errors.h"
#include "image_arrays.h"
#include "lftm_host.h"
#include "progress_hook.h"
#include "released_gil.h"
#include "settings_binding.h"

namespace lftm_py {
namespace {

namespace py = pybind11;

// The frames as the library takes them: paths, or views of uint8/uint16 arrays kept alive.
struct MergeFrames {
  std::vector<std::string> paths;
  std::vector<const char*> pathPointers;
  std::vector<py::array> arrays;
  std::vector<lftm_image> views;

  bool in_memory() const { return !arrays.empty(); }
  size_t count() const { return in_memory() ? views.size() : paths.size(); }
};

bool is_array(const py::handle& frame) { return py::isinstance<py::array>(frame); }

// A C-contiguous view of a uint8 or uint16 frame: (H, W) grey, (H, W, 3) or (H, W, 4).
lftm_image view_frame(const py::handle& frame, size_t index, py::array* kept) {
  const py::array given = py::reinterpret_borrow<py::array>(frame);
  const std::string name = "frame " + std::to_string(index + 1);
  const bool wide = given.dtype().is(py::dtype::of<uint16_t>());
  if (!wide && !given.dtype().is(py::dtype::of<uint8_t>())) {
    throw py::type_error(name + " must be uint8 or uint16, not " +
                         std::string(py::str(given.dtype())));
  }
  const bool shaped = given.ndim() == 2 ||
                      (given.ndim() == 3 && (given.shape(2) == 3 || given.shape(2) == 4));
  if (!shaped || given.size() == 0) {
    throw py::value_error(name + " must be (H, W), (H, W, 3) or (H, W, 4) and not empty");
  }
  *kept = py::array::ensure(given, py::array::c_style);
  lftm_image view;
  if (lftm_image_init(&view, sizeof view, wide ? LFTM_SAMPLE_UINT16 : LFTM_SAMPLE_UINT8,
                      given.ndim() == 2 ? 1 : static_cast<int32_t>(given.shape(2)),
                      given.shape(1), given.shape(0), const_cast<void*>(kept->data())) < 0) {
    throw py::value_error(name + " is too large");
  }
  return view;
}

MergeFrames frames_of(const py::sequence& given) {
  MergeFrames frames;
  for (size_t i = 0; i < given.size(); ++i) {
    const py::handle frame = given[i];
    if (i > 0 && is_array(frame) != frames.in_memory()) {
      throw py::type_error("frames must be all paths or all numpy arrays");
    }
    if (is_array(frame)) {
      frames.arrays.emplace_back();
      frames.views.push_back(view_frame(frame, i, &frames.arrays.back()));
    } else {
      frames.paths.push_back(path_of(frame));
    }
  }
  for (const std::string& path : frames.paths) frames.pathPointers.push_back(path.c_str());
  return frames;
}

// response: None recovers the curve, "linear" takes the frames as linear, else a saved curve.
void set_response(const py::object& response, std::string* path, lftm_merge_options* merge) {
  if (response.is_none()) return;
  *path = path_of(response);
  if (*path == "linear") {
    merge->response = LFTM_RESPONSE_LINEAR;
  } else {
    merge->response = LFTM_RESPONSE_FILE;
    merge->response_path = path->c_str();
  }
}

int32_t call_merge(const MergeFrames& frames, const lftm_merge_options& merge, lftm_image* out,
                   const lftm_options& options) {
  const int32_t count = static_cast<int32_t>(frames.count());
  return frames.in_memory()
             ? lftm_merge_frames(frames.views.data(), count, &merge, out, &options)
             : lftm_merge_image(frames.pathPointers.data(), count, &merge, out, &options);
}

// Runs the merge (only the size, when `out->pixels` is null) without the GIL; raises what
// stopped it: the callback's exception, then lftm.Error with the merge's sentence.
void run_merge(const MergeFrames& frames, const lftm_merge_options& merge, lftm_image* out,
               const lftm_options& options, ProgressHook* hook) {
  int32_t result;
  {
    ReleasedGil released;
    result = call_merge(frames, merge, out, options);
  }
  hook->rethrow_pending();
  if (result >= 0) return;
  if (merge.message[0] != '\0' && result != LFTM_ERR_CANCELLED) {
    throw_error_sentence(result, merge.message);
  }
  throw_library_error(result, 0, "");
}

py::array merge(const py::sequence& given, const py::object& exposures, bool align, bool deghost,
                const py::object& response, int threads, const py::object& progress) {
  if (py::isinstance<py::str>(given)) throw py::type_error("frames must be a list of frames");
  const MergeFrames frames = frames_of(given);
  if (frames.in_memory() && exposures.is_none()) {
    throw py::value_error("frames given as arrays need their exposures (seconds)");
  }
  std::vector<double> times;
  if (!exposures.is_none()) times = exposures.cast<std::vector<double>>();
  char message[1024] = "";
  lftm_merge_options merge;
  lftm_merge_options_init(&merge, sizeof merge);
  merge.message = message;
  merge.message_size = sizeof message;
  merge.align = align ? 1 : 0;
  merge.deghost = deghost ? 1 : 0;
  if (!exposures.is_none()) {
    merge.exposures = times.data();
    merge.exposure_count = static_cast<int32_t>(times.size());
  }
  std::string responsePath;
  set_response(response, &responsePath, &merge);
  lftm_options options;
  lftm_options_init(&options, sizeof options, LFTM_METHOD_TEXTURE_BOOSTER);
  if (threads < 0 || threads > 32) throw py::value_error("threads must be 0 to 32");
  options.threads = threads;
  options.messages = LFTM_MESSAGES_SILENT;
  ProgressHook hook{progress};
  hook.install(&options);
  lftm_image size{};  // no pixels: the first call only measures the frames
  size.struct_size = sizeof size;
  size.sample_type = LFTM_SAMPLE_FLOAT32;
  size.channels = 3;
  run_merge(frames, merge, &size, options, &hook);
  lftm_image view;
  py::array radiance = make_rgb_float(size.width, size.height, &view);
  run_merge(frames, merge, &view, options, &hook);
  return radiance;
}

}  // namespace

void add_merge_call(py::module_& m) {
  m.def("merge", &merge, py::arg("frames"), py::arg("exposures") = py::none(),
        py::arg("align") = true, py::arg("deghost") = false, py::arg("response") = py::none(),
        py::arg("threads") = 0, py::arg("progress") = py::none(),
        R"(Merges bracketed exposures of one scene into its HDR radiance: a float32 array of
shape (H, W, 3), linear RGB, the values `lftm merge` writes to an .exr.

frames: paths of JPEG, PNG or 8/16-bit TIFF frames (exposures from their EXIF data unless
given), or numpy arrays of uint8 or uint16, (H, W), (H, W, 3) or (H, W, 4), as the camera
encoded them (arrays need `exposures`). All frames are one kind and one size.
exposures: each frame's exposure time in seconds, in the frames' order (overrides EXIF).
align: align every frame to the middle exposure first. deghost: take what moved between the
shots from the middle exposure. response: None recovers the camera's curve from the frames,
"linear" takes them as linear, any other string is a curve saved by `lftm merge
--save-response`. threads: 0 for one per processor. progress: as for tonemap.)");
}

}  // namespace lftm_py
