// SPDX-License-Identifier: BSD-3-Clause
#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "lftm.h"

namespace lftm {
namespace {

int32_t open_failure(int error) {
  if (error == ENOENT || error == ENOTDIR) return LFTM_ERR_INPUT_MISSING;
  if (error == EACCES || error == EPERM) return LFTM_ERR_INPUT_NO_PERMISSION;
  return LFTM_ERR_INPUT_CANNOT_OPEN;
}

int32_t kind_failure(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return LFTM_ERR_INPUT_FOLDER;
  if (!S_ISREG(st.st_mode)) return LFTM_ERR_INPUT_NOT_REGULAR;
  return 0;
}

// Opens `path` for reading without waiting for a writer and checks what it opened (not what
// the name pointed to a moment before). Returns the descriptor, in blocking mode again, or -1
// with `cause` set.
int open_regular(const char* path, int32_t* cause, struct stat* st) {
  struct stat named;
  if (stat(path, &named) != 0) {
    *cause = open_failure(errno);
    return -1;
  }
  // A folder opens for reading; a device might do something on open: neither is tried.
  *cause = kind_failure(named);
  if (*cause < 0) return -1;
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *cause = open_failure(errno);
    return -1;
  }
  if (fstat(fd, st) != 0 || (*cause = kind_failure(*st)) < 0) {
    if (*cause == 0) *cause = LFTM_ERR_INPUT_CANNOT_OPEN;
    close(fd);
    return -1;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    *cause = LFTM_ERR_INPUT_CANNOT_OPEN;
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

int32_t check_input_file(const char* path) {
  int32_t cause = 0;
  struct stat st;
  const int fd = open_regular(path, &cause, &st);
  if (fd < 0) return cause;
  close(fd);
  return st.st_size == 0 ? LFTM_ERR_INPUT_EMPTY : 0;
}

std::FILE* open_regular_file(const char* path) {
  int32_t cause = 0;
  struct stat st;
  const int fd = open_regular(path, &cause, &st);
  if (fd < 0) {
    if (cause == LFTM_ERR_INPUT_FOLDER) errno = EISDIR;
    if (cause == LFTM_ERR_INPUT_NOT_REGULAR) errno = EINVAL;
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return file;
}

bool read_file_head(const char* path, size_t limit, std::string* bytes) {
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) return false;
  bytes->resize(limit);
  bytes->resize(std::fread(&(*bytes)[0], 1, limit, file));
  std::fclose(file);
  return true;
}

}  // namespace lftm
