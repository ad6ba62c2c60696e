// SPDX-License-Identifier: BSD-3-Clause
// Recognises the kind of an input file from its first bytes, falling back on its extension.
#ifndef LFTM_TOOLS_INPUT_FORMAT_H_
#define LFTM_TOOLS_INPUT_FORMAT_H_

#include <cstdint>
#include <string>

namespace lftm_cli {

enum class InputFormat { kUnknown, kRadiance, kOpenExr, kTiff };

// The format of the file at `path`; kUnknown when it cannot be read or is none of the three.
InputFormat detect_input_format(const std::string& path);

// The format of a library format code (LFTM_FORMAT_*, as lftm_file_format gives it).
InputFormat input_format_of(int32_t libraryFormat);

const char* format_name(InputFormat format);

// Lower-case extension of a path without the dot ("" when there is none).
std::string lower_extension(const std::string& path);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_INPUT_FORMAT_H_
