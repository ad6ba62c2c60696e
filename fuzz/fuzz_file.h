// SPDX-License-Identifier: BSD-3-Clause
// The readers under test take file paths: each fuzz input is written to a scratch file.
#ifndef LFTM_FUZZ_FUZZ_FILE_H_
#define LFTM_FUZZ_FUZZ_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace lftm_fuzz {

// The folder of the scratch files: /dev/shm when it can be written, else $TMPDIR or /tmp.
const std::string& scratch_dir();

// This process's scratch file for `suffix` (one file per suffix, removed at exit).
const char* scratch_file_path(const char* suffix);

// Writes data to the scratch file for `suffix` and returns its path, or null when it cannot
// be written.
const char* write_input_file(const uint8_t* data, size_t size, const char* suffix);

}  // namespace lftm_fuzz

#endif  // LFTM_FUZZ_FUZZ_FILE_H_
