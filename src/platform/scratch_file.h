// SPDX-License-Identifier: BSD-3-Clause
// Scratch files of disk mode: uniquely named files in the temporary directory, and the
// transfers that move a block as four items of a quarter of its bytes each.
#ifndef LFTM_PLATFORM_SCRATCH_FILE_H_
#define LFTM_PLATFORM_SCRATCH_FILE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace lftm {

// The temporary directory: $TMPDIR when set and non-empty, else /tmp. Returns false when
// it is not an existing directory.
bool temp_directory(std::string* dir);

// What keeps scratch files out of the temporary directory: 0, LFTM_ERR_TEMP_MISSING or
// LFTM_ERR_TEMP_NOT_WRITABLE; `folder` receives the directory's name in every case.
int32_t temp_folder_problem(std::string* folder);

// temp_folder_problem, with a diagnostic line that names the folder and the remedy.
int32_t check_temp_folder();

// Creates an empty, uniquely named file "<tmp>/<prefix>XXXXXX", records it among the live
// files (removed by a signal handler) and stores its path.
// Returns 0, LFTM_ERR_FILE when there is no temporary directory, LFTM_ERR_IO when the file
// cannot be created; a diagnostic line says which folder and why.
int create_scratch_file(const char* prefix, std::string* path);

// Writes `bytes` bytes (a multiple of 4) as four items of bytes/4; returns the items written.
int write_quarters(std::FILE* file, const void* data, size_t bytes);

// Reads `bytes` bytes (a multiple of 4) as four items of bytes/4; returns the items read.
int read_quarters(std::FILE* file, void* data, size_t bytes);

// The same at byte `offset` of the open file `fd`, the four items spread over up to `workers`
// threads (reads of the page cache then use every core); the file offset is not used.
int write_quarters_at(int fd, long long offset, const void* data, size_t bytes, int workers);
int read_quarters_at(int fd, long long offset, void* data, size_t bytes, int workers);

// Bytes moved by the quarter transfers since the process started, for the
// statistics of disk mode (concurrent runs add to the same totals).
struct ScratchTraffic {
  long long read = 0;
  long long written = 0;
};
ScratchTraffic scratch_traffic();

// Seeks to a 64-bit byte offset from the start; returns false on failure.
bool seek_to(std::FILE* file, long long offset);

// Removes a file by path and forgets it among the live files; a null or empty path is
// ignored.
void remove_file(const char* path);

}  // namespace lftm

#endif  // LFTM_PLATFORM_SCRATCH_FILE_H_
