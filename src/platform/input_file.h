// SPDX-License-Identifier: BSD-3-Clause
// Opening a file that a caller names as input. A path may name a folder, a pipe or a device,
// and opening a pipe for reading blocks until some other process writes to it: every input is
// opened without blocking and refused unless it is a regular file.
#ifndef LFTM_PLATFORM_INPUT_FILE_H_
#define LFTM_PLATFORM_INPUT_FILE_H_

#include <cstdint>
#include <cstdio>
#include <string>

namespace lftm {

// Why `path` cannot be read as an input: 0 when it is a regular file that opens for reading,
// else LFTM_ERR_INPUT_MISSING, _NO_PERMISSION, _FOLDER, _NOT_REGULAR, _CANNOT_OPEN (errno
// left as the failing call set it) or _EMPTY. Never blocks.
int32_t check_input_file(const char* path);

// fopen(path, "rb") for a regular file only; null (errno set) for anything else.
std::FILE* open_regular_file(const char* path);

// The first `limit` bytes of a regular file (all of a shorter one) into `bytes`; false when
// the file cannot be opened as an input.
bool read_file_head(const char* path, size_t limit, std::string* bytes);

}  // namespace lftm

#endif  // LFTM_PLATFORM_INPUT_FILE_H_
