// SPDX-License-Identifier: BSD-3-Clause
// write_xmp: stores the settings sidecar of one method.
#include <cstdio>
#include <new>
#include <string>

#include "lftm.h"
#include "settings/xmp_format.h"

extern "C" int32_t write_xmp(const char* path, int32_t method, const TmParam* tmParam) {
  if (!lftm::is_sidecar_method(method) || tmParam == nullptr) return LFTM_ERR_IO;
  // "nan" or "inf" in a settings file would restore a block that renders nothing useful.
  if (!lftm::settings_are_finite(method, *tmParam)) return LFTM_ERR_IO;
  // The text is made before the file is opened, so a failure here leaves the file untouched.
  std::string text;
  try {
    text = lftm::render_settings_xmp(method, *tmParam);
  } catch (const std::bad_alloc&) {
    return LFTM_ERR_XMP_WRITE;
  }
  if (path == nullptr) return LFTM_ERR_FILE;
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return LFTM_ERR_FILE;
  const size_t items = std::fwrite(text.data(), text.size(), 1, file);
  // A full disk often shows only when the buffered text is flushed at close; that is a failed
  // write too, not a saved file.
  const bool closed = std::fclose(file) == 0;
  return (items == 1 && closed) ? 1 : LFTM_ERR_XMP_WRITE;
}
