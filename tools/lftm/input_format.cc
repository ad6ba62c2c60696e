// SPDX-License-Identifier: BSD-3-Clause
#include "input_format.h"

#include <cctype>

#include "lftm_host.h"

namespace lftm_cli {

std::string lower_extension(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

InputFormat input_format_of(int32_t libraryFormat) {
  switch (libraryFormat) {
    case LFTM_FORMAT_RADIANCE: return InputFormat::kRadiance;
    case LFTM_FORMAT_OPENEXR: return InputFormat::kOpenExr;
    case LFTM_FORMAT_TIFF_16: return InputFormat::kTiff;
    default: break;
  }
  return InputFormat::kUnknown;
}

InputFormat detect_input_format(const std::string& path) {
  // The library's rule, so that the tool and lftm_tonemap_file take a file for the same kind.
  return input_format_of(lftm_file_format(path.c_str()));
}

const char* format_name(InputFormat format) {
  switch (format) {
    case InputFormat::kRadiance: return "Radiance RGBE";
    case InputFormat::kOpenExr: return "OpenEXR";
    case InputFormat::kTiff: return "TIFF";
    case InputFormat::kUnknown: break;
  }
  return "unknown";
}

}  // namespace lftm_cli
