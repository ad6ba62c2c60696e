// SPDX-License-Identifier: BSD-3-Clause
// lftm_diagnose_input: why a file cannot be read as an input, with what was measured, so
// that a host can name the cause in its own words before a reader allocates the image. The
// Radiance header is read by the readers' own header scan, so that both agree on its lines.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "imageio/rgbe_text.h"
#include "lftm_host.h"
#include "platform/input_file.h"
#include "platform/sizes.h"

namespace lftm {
namespace {

// The first bytes looked at to tell what a file of another kind is.
constexpr size_t kSniffBytes = 4096;

bool starts_with(const std::string& bytes, const char* magic, size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

bool looks_like_text(const std::string& bytes) {
  for (unsigned char c : bytes) {
    if (c < 0x20 && c != '\n' && c != '\r' && c != '\t' && c != '\f') return false;
  }
  return true;
}

// What a file of none of the three formats seems to be, by its first bytes.
int32_t other_kind(const std::string& head) {
  if (starts_with(head, "\x89PNG", 4)) return LFTM_INPUT_KIND_PNG;
  if (starts_with(head, "\xff\xd8\xff", 3)) return LFTM_INPUT_KIND_JPEG;
  if (starts_with(head, "GIF8", 4)) return LFTM_INPUT_KIND_GIF;
  if (starts_with(head, "%PDF", 4)) return LFTM_INPUT_KIND_PDF;
  if (starts_with(head, "PK\x03\x04", 4)) return LFTM_INPUT_KIND_ZIP;
  if (looks_like_text(head)) return LFTM_INPUT_KIND_TEXT;
  return LFTM_INPUT_KIND_UNKNOWN;
}

int32_t unknown_format(const std::string& head, lftm_input_report* report) {
  report->other_kind = other_kind(head);
  return LFTM_ERR_UNKNOWN_FORMAT;
}

// The opening checks of lftm_check_input, then the file's length and first bytes.
int32_t read_head(const char* path, lftm_input_report* report, std::string* head) {
  const int32_t unreadable = check_input_file(path);
  if (unreadable == LFTM_ERR_INPUT_CANNOT_OPEN) report->system_error = errno;
  if (unreadable < 0) return unreadable;
  struct stat st;
  if (stat(path, &st) != 0 || !read_file_head(path, kSniffBytes, head)) {
    report->system_error = errno;
    return LFTM_ERR_INPUT_CANNOT_OPEN;
  }
  report->file_bytes = static_cast<int64_t>(st.st_size);
  return head->empty() ? LFTM_ERR_INPUT_EMPTY : 0;
}

// The sizes of the resolution line against what the library takes and the file holds.
int32_t judge_size_line(const RgbeHeaderLines& header, lftm_input_report* report) {
  std::memcpy(report->resolution_line, header.sizeLine, sizeof header.sizeLine);
  RgbeResolution resolution;
  match_any_resolution(header.sizeLine, &resolution);
  report->width = resolution.width;
  report->height = resolution.height;
  if (!resolution.standard) return LFTM_ERR_INPUT_ORIENTATION;
  // A size of zero or less is left to the reader, which refuses it.
  if (resolution.width < 1 || resolution.height < 1) return 0;
  if (!image_size_ok(resolution.width, resolution.height)) return LFTM_ERR_TOO_LARGE;
  report->data_bytes = report->file_bytes - header.dataStart;
  report->least_data_bytes = rgbe_fewest_data_bytes(header.width, header.height);
  return report->data_bytes < report->least_data_bytes ? LFTM_ERR_INPUT_TRUNCATED : 0;
}

int32_t diagnose_radiance(const char* path, const std::string& head,
                          lftm_input_report* report) {
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) {
    report->system_error = errno;
    return LFTM_ERR_INPUT_CANNOT_OPEN;
  }
  RgbeHeaderLines header;
  const bool read = scan_rgbe_header(file, &header);
  if (!read) report->system_error = errno;
  std::fclose(file);
  if (!read) return LFTM_ERR_INPUT_CANNOT_OPEN;
  if (header.sizeLine[0] != '\0') return judge_size_line(header, report);
  // Without a resolution line a file that starts as a Radiance file is damaged, which the
  // reader says; one that does not is a file of another kind named as a Radiance file.
  return starts_with(head, "#?", 2) ? 0 : unknown_format(head, report);
}

int32_t diagnose(const char* path, lftm_input_report* report) {
  std::string head;
  const int32_t unreadable = read_head(path, report, &head);
  if (unreadable < 0) return unreadable;
  report->format = lftm_file_format(path);
  if (report->format == 0) return unknown_format(head, report);
  if (report->format == LFTM_FORMAT_RADIANCE) return diagnose_radiance(path, head, report);
  return 0;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_diagnose_input(const char* path, lftm_input_report* report) {
  if (path == nullptr || report == nullptr || report->struct_size < sizeof(lftm_input_report)) {
    return LFTM_ERR_ARGUMENT;
  }
  const uint32_t size = report->struct_size;
  std::memset(report, 0, sizeof *report);
  report->struct_size = size;
  report->code = lftm::diagnose(path, report);
  return report->code;
}
