// SPDX-License-Identifier: BSD-3-Clause
// The kind of an HDR file, recognised by its first bytes (the extension only for Radiance
// files without their "#?" line), and what the drivers need to read it.
#ifndef LFTM_HOST_FILE_FORMAT_H_
#define LFTM_HOST_FILE_FORMAT_H_

#include <cstdint>

#include "frame/driver_io.h"
#include "lftm_host.h"

namespace lftm {

enum class FileFormat { kUnknown, kRadiance, kOpenExr, kTiff };

// The format of the file at `path`; kUnknown when it cannot be read or is none of the three.
FileFormat detect_file_format(const char* path);

// What a look at a file's header finds.
struct FileProbe {
  FileFormat format = FileFormat::kUnknown;
  int32_t extType = 0;  // the input kind tonemap and tms are given (100, 101, 200, 201)
  int32_t kind = 0;     // the kind in which the pixels are read (input_kind)
  int32_t spp = 3;      // samples per pixel the drivers work with
  int32_t fileChannels = 3;
  int32_t fileBits = 8;
  HdrFileInfo info{};
};

// Recognises `path`, loads into `siblings` the reader it needs and reads its header.
// tiffInput: LFTM_EXT_TIF_LINEAR or LFTM_EXT_TIF_GAMMA, or 0 for linear 16-bit and float
// samples and gamma-encoded 8-bit ones. Returns 0, an LFTM_ERR_INPUT_* cause,
// LFTM_ERR_UNKNOWN_FORMAT, a library load code or a code of read_image_info.
int32_t probe_file(const char* path, int32_t tiffInput, SiblingSet* siblings, FileProbe* probe);

}  // namespace lftm

#endif  // LFTM_HOST_FILE_FORMAT_H_
