// SPDX-License-Identifier: BSD-3-Clause
// The run-time libraries a merge calls: the frame reader, and the OpenEXR writer entry of the
// OpenEXR library. Each is loaded when first asked for and released with the object.
#ifndef LFTM_MERGE_FRAME_LIBRARY_H_
#define LFTM_MERGE_FRAME_LIBRARY_H_

#include <cstdint>

#include "imageio/frame_sibling_api.h"

namespace lftm {

class FrameLibrary {
 public:
  FrameLibrary() = default;
  ~FrameLibrary();
  FrameLibrary(const FrameLibrary&) = delete;
  FrameLibrary& operator=(const FrameLibrary&) = delete;

  // Loads the frame reader; false when it or one of its entries is missing.
  bool load_reader();
  // Loads the OpenEXR writer entry; false when it is missing.
  bool load_exr_writer();

  FrameInfoFn info = nullptr;
  FrameReadFn read = nullptr;
  ExrWriteFn write_exr = nullptr;

 private:
  void* reader_ = nullptr;
  void* exr_ = nullptr;
};

}  // namespace lftm

#endif  // LFTM_MERGE_FRAME_LIBRARY_H_
