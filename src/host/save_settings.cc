// SPDX-License-Identifier: BSD-3-Clause
// lftm_save_settings: the settings sidecar written whole, and never over a file that is not
// a sidecar unless the host asks for it. The tool, the tuner and the Python module all save
// through here, so a photograph cannot be replaced by its settings from any of them.
#include <sys/stat.h>

#include <cstdio>
#include <new>
#include <string>

#include "host/file_format.h"
#include "lftm_host.h"
#include "platform/input_file.h"
#include "platform/staged_output.h"
#include "settings/settings_table.h"
#include "settings/xmp_format.h"
#include "settings/xmp_reader.h"

namespace lftm {
namespace {

// Sidecars are a few kilobytes; a larger file is something else.
constexpr size_t kLargestSidecar = 1 << 20;

// Text as sidecars hold it: no control bytes but tab, line ends and form feed. Images have
// some (a NUL at the latest) within their first bytes.
bool is_text(const std::string& bytes) {
  for (unsigned char c : bytes) {
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') return false;
  }
  return true;
}

bool starts_as_jpeg(const std::string& bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         static_cast<unsigned char>(bytes[1]) == 0xD8;
}

// A small plain file of text, no image (an image can hold the settings text in its
// metadata), in which the reader finds the settings namespace.
bool is_settings_sidecar(const char* path) {
  struct stat st;
  if (stat(path, &st) != 0 || static_cast<size_t>(st.st_size) > kLargestSidecar) return false;
  std::string bytes;
  // Opened as an input: a folder, pipe or device is no sidecar.
  if (!read_file_head(path, kLargestSidecar, &bytes)) return false;
  if (!is_text(bytes) || starts_as_jpeg(bytes)) return false;
  if (detect_file_format(path) != FileFormat::kUnknown) return false;
  return read_settings_file(path, kMethodQuery, nullptr, nullptr, ReadAnnouncement::kSilent) >= 0;
}

int32_t write_staged(const char* path, const std::string& text) {
  StagedOutput staged;
  if (staged.create(path) != 0) return LFTM_ERR_FILE;
  std::FILE* file = std::fopen(staged.path(), "wb");
  if (file == nullptr) return LFTM_ERR_FILE;
  const size_t items = std::fwrite(text.data(), text.size(), 1, file);
  // A full disk often shows only when the buffered text is flushed at close.
  const bool closed = std::fclose(file) == 0;
  if (items != 1 || !closed) return LFTM_ERR_XMP_WRITE;
  return staged.commit() == 0 ? 0 : LFTM_ERR_FILE;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_save_settings(const char* path, int32_t method, const TmParam* params,
                                      int32_t flags) {
  if (path == nullptr || *path == '\0') return LFTM_ERR_ARGUMENT;
  if ((flags & ~(LFTM_SAVE_OVERWRITE | LFTM_SAVE_CHECK_ONLY)) != 0) return LFTM_ERR_ARGUMENT;
  const bool check_only = (flags & LFTM_SAVE_CHECK_ONLY) != 0;
  if (!check_only) {
    if (params == nullptr || lftm::method_settings(method) == nullptr) return LFTM_ERR_ARGUMENT;
    if (!lftm::settings_are_finite(method, *params)) return LFTM_ERR_SETTING_VALUE;
  }
  struct stat st;
  const bool taken = stat(path, &st) == 0;
  if (taken && (flags & LFTM_SAVE_OVERWRITE) == 0 && !lftm::is_settings_sidecar(path)) {
    return LFTM_ERR_NOT_SIDECAR;
  }
  if (check_only) return 0;
  std::string text;
  try {
    text = lftm::render_settings_xmp(method, *params);
  } catch (const std::bad_alloc&) {
    return LFTM_ERR_NO_MEMORY;
  }
  return lftm::write_staged(path, text);
}
