// SPDX-License-Identifier: BSD-3-Clause
#include "input_check.h"

#include <cstring>

#include "lftm_host.h"
#include "messages.h"

namespace lftm_cli {
namespace {

const char* other_kind_name(int32_t kind) {
  switch (kind) {
    case LFTM_INPUT_KIND_PNG: return "a PNG image";
    case LFTM_INPUT_KIND_JPEG: return "a JPEG image";
    case LFTM_INPUT_KIND_GIF: return "a GIF image";
    case LFTM_INPUT_KIND_PDF: return "a PDF document";
    case LFTM_INPUT_KIND_ZIP: return "a ZIP archive";
    case LFTM_INPUT_KIND_TEXT: return "a text file";
    default: break;
  }
  return "of an unknown kind";
}

std::string other_kind_detail(const std::string& path, int32_t kind) {
  std::string ext = lower_extension(path);
  std::string detail = std::string("it is ") + other_kind_name(kind);
  if (!ext.empty()) detail += " named ." + ext;
  return detail;
}

std::string size_text(const lftm_input_report& report) {
  return std::to_string(report.width) + " x " + std::to_string(report.height);
}

std::string truncation_detail(const lftm_input_report& report) {
  const int64_t data = report.data_bytes < 0 ? 0 : report.data_bytes;
  return size_text(report) + " pixels need at least " +
         byte_count_text(report.least_data_bytes) + "; the file holds " +
         byte_count_text(data) + " after its header";
}

// The library's findings as the tool's causes, with what it measured.
void translate(const std::string& path, const lftm_input_report& report, InputCheck* check) {
  check->code = report.code;
  switch (report.code) {
    case LFTM_ERR_INPUT_CANNOT_OPEN:
      check->detail = std::strerror(report.system_error);
      break;
    case LFTM_ERR_UNKNOWN_FORMAT:
      check->detail = other_kind_detail(path, report.other_kind);
      check->code = kCauseOtherKind;
      break;
    case LFTM_ERR_INPUT_ORIENTATION:
      check->detail = std::string("its size line is \"") + report.resolution_line + "\"";
      check->code = kCauseOrientation;
      break;
    case LFTM_ERR_TOO_LARGE:
      check->detail = size_text(report) + " pixels";
      break;
    case LFTM_ERR_INPUT_TRUNCATED:
      check->detail = truncation_detail(report);
      check->code = kCauseTruncated;
      break;
    default: break;
  }
}

}  // namespace

InputCheck check_input(const std::string& path) {
  lftm_input_report report;
  std::memset(&report, 0, sizeof report);
  report.struct_size = sizeof report;
  lftm_diagnose_input(path.c_str(), &report);
  InputCheck check;
  check.format = input_format_of(report.format);
  translate(path, report, &check);
  return check;
}

}  // namespace lftm_cli
