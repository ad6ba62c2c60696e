// SPDX-License-Identifier: BSD-3-Clause
#include "merge/frame_library.h"

#include "imageio/sibling_api.h"
#include "platform/sibling_loader.h"

namespace lftm {

FrameLibrary::~FrameLibrary() {
  sibling_close(reader_);
  sibling_close(exr_);
}

bool FrameLibrary::load_reader() {
  if (reader_ == nullptr) reader_ = sibling_open(kFrameReaderLibrary);
  if (reader_ == nullptr) return false;
  info = reinterpret_cast<FrameInfoFn>(sibling_symbol(reader_, "lfframe_info"));
  read = reinterpret_cast<FrameReadFn>(sibling_symbol(reader_, "lfframe_read"));
  return info != nullptr && read != nullptr;
}

bool FrameLibrary::load_exr_writer() {
  if (exr_ == nullptr) exr_ = sibling_open(kExrReaderLibrary);
  if (exr_ == nullptr) return false;
  write_exr = reinterpret_cast<ExrWriteFn>(sibling_symbol(exr_, "lfexr_write"));
  return write_exr != nullptr;
}

}  // namespace lftm
