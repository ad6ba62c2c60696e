#include "input_format.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace lftm_cli {

std::string lower_extension(const std::string& path) {
  size_t slash = path.find_last_of('/');
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

InputFormat detect_input_format(const std::string& path) {
  unsigned char head[4] = {0, 0, 0, 0};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return InputFormat::kUnknown;
  size_t got = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  if (got >= 2 && head[0] == '#' && head[1] == '?') return InputFormat::kRadiance;
  if (got == 4 && head[0] == 0x76 && head[1] == 0x2f && head[2] == 0x31 && head[3] == 0x01) {
    return InputFormat::kOpenExr;
  }
  if (got == 4 && ((head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) ||
                   (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42))) {
    return InputFormat::kTiff;
  }
  // Radiance files without the "#?" magic line still carry the extension.
  std::string ext = lower_extension(path);
  if (got > 0 && (ext == "hdr" || ext == "pic" || ext == "rgbe")) return InputFormat::kRadiance;
  return InputFormat::kUnknown;
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
