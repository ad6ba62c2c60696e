// SPDX-License-Identifier: BSD-3-Clause
// Where a run's samples go: a file written by a sibling writer through a staged temporary
// (which takes the final name only once it is complete), or a function of the caller that
// receives them in memory, in which case no writer library is loaded and no file is staged.
#ifndef LFTM_RUN_RUN_SINK_H_
#define LFTM_RUN_RUN_SINK_H_

#include <cstdint>
#include <functional>

#include "platform/staged_output.h"

namespace lftm {

// The writer of a file sink: the one the output name gives (an 8-bit ".jpg"/".JPG" goes to
// the JPEG writer, anything else to the TIFF writer), or a caller's choice.
enum class WriterKind { kByName, kJpeg, kTiff };

// Receives the interleaved output samples of a run that succeeded: width x spp a row, rows
// packed, 8-bit or 16-bit as the request's bits say. Returns 0 or a negative code, which
// becomes the run's result.
using SampleDelivery = std::function<int32_t(const void* samples)>;

struct RunSink {
  // The output file, or only the name that the run's messages print for a delivery.
  const char* path = nullptr;
  WriterKind writer = WriterKind::kByName;
  Replace replace = Replace::kRegularFiles;  // which existing file at `path` may be replaced
  // Set: the samples go here instead of a file.
  SampleDelivery deliver;

  bool to_memory() const { return static_cast<bool>(deliver); }
};

RunSink file_sink(const char* path, WriterKind writer = WriterKind::kByName,
                  Replace replace = Replace::kRegularFiles);
RunSink memory_sink(SampleDelivery deliver, const char* name);

}  // namespace lftm

#endif  // LFTM_RUN_RUN_SINK_H_
