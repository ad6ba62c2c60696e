// SPDX-License-Identifier: BSD-3-Clause
// The start every run shares: the sibling libraries the source and sink need are loaded, a
// file output is staged (so that an unwritable folder fails before any work) and the image
// is described. Each method prints its own lines between these steps, so they stay separate
// calls, in this order.
#ifndef LFTM_RUN_RUN_START_H_
#define LFTM_RUN_RUN_START_H_

#include <cstdint>

#include "frame/driver_io.h"
#include "lftm.h"
#include "platform/staged_output.h"
#include "run/run_request.h"

namespace lftm {

// Returns 0 for an input kind the runs read (100, 101, 200, 201); otherwise prints the
// unsupported-kind message and returns LFTM_ERR_EXT_TYPE.
int32_t check_ext_type(int32_t extType);

// What the start of a run holds: the output's extension (known at once, from the name), then,
// after open(), the loaded libraries, the staged output and the input image's description.
struct RunStart {
  explicit RunStart(const RunRequest& run) : request(run), ext(output_extension(run.sink.path)) {}

  // Loads the libraries (a file sink's writer: the JPEG writer for an 8-bit JPEG, else the
  // TIFF writer; a file source's reader), stages a file output and describes the image.
  // Returns 0, or the first failure's code: a load or entry code, what stage_output returns,
  // or what read_image_info returns.
  int32_t open(const SiblingNames& names);

  // Reads the whole image (see read_image) from the file, or copies the decoded pixels.
  int32_t read(int32_t readSpp, float* work, void* dst) const;

  // Hands the finished samples to the writer (see write_output) or to the delivery.
  int32_t write(const HdrFileInfo& writerInfo, int32_t rowSamples, int32_t sampleBytes,
                const void* samples);

  // The kind whose table maps 16-bit samples (the caller's kind, not the kind as read).
  int32_t lut_kind() const { return request.source.extType; }

  const RunRequest& request;
  const OutputExtension ext;
  SiblingSet siblings;
  StagedOutput target;
  HdrFileInfo info{};
  int32_t spp = 3;
  int32_t infoResult = 0;  // the information call's result (kInfotifFloat for a float TIFF)
  int32_t kind = 0;        // the kind in which the input is read (input_kind)
  bool writesJpeg = false; // the output goes to the JPEG writer (not to memory)
  int32_t width = 0;
  int32_t height = 0;

 private:
  int32_t open_sink(const SiblingNames& names);
  void describe_pixels(const DecodedPixels& pixels);
};

}  // namespace lftm

#endif  // LFTM_RUN_RUN_START_H_
