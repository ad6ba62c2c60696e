// Looks at an input file before any reader does, so that the common reasons it cannot be
// read (missing, unreadable, a folder, empty, another kind of file, a Radiance header the
// reader refuses, a header that promises more pixels than the file holds) each get their
// own sentence, and no buffer is allocated for a size the file cannot hold.
#ifndef LFTM_TOOLS_INPUT_CHECK_H_
#define LFTM_TOOLS_INPUT_CHECK_H_

#include <cstdint>
#include <string>

#include "input_format.h"

namespace lftm_cli {

struct InputCheck {
  int32_t code = 0;            // 0, a cause (messages.h, LFTM_ERR_INPUT_*) or a library code
  InputFormat format = InputFormat::kUnknown;
  std::string detail;          // what was measured, for the message; may be empty
};

InputCheck check_input(const std::string& path);

// The fewest bytes of Radiance pixel data that can hold width x height pixels: flat rows
// take 4 bytes a pixel, run-length rows a 4-byte header and, for each of the four
// components, at least one 2-byte run per 127 pixels.
int64_t least_rgbe_data_bytes(int32_t width, int32_t height);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_INPUT_CHECK_H_
