// SPDX-License-Identifier: BSD-3-Clause
#include "common/quiet_tiff.h"

namespace lftm_sibling {
namespace {

int ignore_message(TIFF*, void*, const char*, const char*, va_list) { return 1; }

}  // namespace

TIFF* open_tiff_quietly(const char* path, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options, ignore_message, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, ignore_message, nullptr);
  TIFF* tif = TIFFOpenExt(path, mode, options);
  TIFFOpenOptionsFree(options);
  return tif;
}

}  // namespace lftm_sibling
