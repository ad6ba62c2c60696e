// SPDX-License-Identifier: BSD-3-Clause
// A large buffer whose pages live in a scratch file instead of the process's memory. The file
// is mapped shared and, while the buffer is in use, a PeriodicTask hands the pages the process
// has touched back every few milliseconds: their contents stay in the file (the kernel's page
// cache reads and writes them back in large blocks), so the process's resident size stays
// small however large the buffer. Disk mode keeps its output buffer here when the memory
// budget cannot hold it.
#ifndef LFTM_PLATFORM_FILE_BACKED_BUFFER_H_
#define LFTM_PLATFORM_FILE_BACKED_BUFFER_H_

#include <cstddef>

#include "platform/workers.h"

namespace lftm {

class FileBackedBuffer {
 public:
  FileBackedBuffer() = default;
  ~FileBackedBuffer();
  FileBackedBuffer(const FileBackedBuffer&) = delete;
  FileBackedBuffer& operator=(const FileBackedBuffer&) = delete;

  // Maps `bytes` bytes of the existing file at `path`. The file's blocks are reserved first,
  // so that a full disk is a result now rather than a fault while the buffer is written.
  // Returns 0, LFTM_ERR_NO_SCRATCH_SPACE (the blocks cannot be had), LFTM_ERR_FILE (the file
  // cannot be opened) or LFTM_ERR_NO_MEMORY (no address space for the mapping).
  int map(const char* path, size_t bytes);

  void* get() const { return base_; }

  // Stops handing pages back and unmaps the buffer; the file itself is left to its owner.
  void unmap();

 private:
  void* base_ = nullptr;
  size_t bytes_ = 0;
  PeriodicTask releaser_;
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_FILE_BACKED_BUFFER_H_
