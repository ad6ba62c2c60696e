// SPDX-License-Identifier: BSD-3-Clause
#include "platform/file_backed_buffer.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>

#include "lftm.h"

namespace lftm {
namespace {

// How often touched pages go back. The stages sweep the buffer at a few GB a second, so
// about 100 MB at most are resident between two hand-backs.
constexpr std::chrono::milliseconds kHandBackPeriod(20);

}  // namespace

FileBackedBuffer::~FileBackedBuffer() { unmap(); }

int FileBackedBuffer::map(const char* path, size_t bytes) {
  unmap();
  if (path == nullptr || bytes == 0) return LFTM_ERR_FILE;
  const int fd = open(path, O_RDWR | O_CLOEXEC);
  if (fd < 0) return LFTM_ERR_FILE;
  // Without reserved blocks a store into a page the disk has no room for would end the
  // process; posix_fallocate returns the error instead of setting errno.
  if (posix_fallocate(fd, 0, static_cast<off_t>(bytes)) != 0) {
    close(fd);
    return LFTM_ERR_NO_SCRATCH_SPACE;
  }
  void* base = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);  // the mapping keeps the file open
  if (base == MAP_FAILED) return LFTM_ERR_NO_MEMORY;
  base_ = base;
  bytes_ = bytes;
  // Dropping a shared file mapping's pages loses nothing: written pages stay dirty in the
  // page cache and reach the file; the next access maps them in again. Without the releaser
  // the buffer still works; it only stays resident once touched.
  releaser_.start(kHandBackPeriod, [base, bytes] { madvise(base, bytes, MADV_DONTNEED); });
  return 0;
}

void FileBackedBuffer::unmap() {
  releaser_.stop();
  if (base_ != nullptr) munmap(base_, bytes_);
  base_ = nullptr;
  bytes_ = 0;
}

}  // namespace lftm
