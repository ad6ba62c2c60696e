// The readers under test take file paths: each fuzz input is written to one scratch file.
#ifndef LFTM_FUZZ_FUZZ_FILE_H_
#define LFTM_FUZZ_FUZZ_FILE_H_

#include <cstddef>
#include <cstdint>

namespace lftm_fuzz {

// Writes data to this process's scratch file (created on first use, removed at exit) and
// returns its path, or null when it cannot be written.
const char* write_input_file(const uint8_t* data, size_t size, const char* suffix);

}  // namespace lftm_fuzz

#endif  // LFTM_FUZZ_FUZZ_FILE_H_
