// SPDX-License-Identifier: BSD-3-Clause
#include "platform/scratch_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lftm.h"
#include "platform/diag.h"
#include "platform/live_files.h"
#include "platform/workers.h"

namespace lftm {

namespace {

// $TMPDIR when set and non-empty, else /tmp, without trailing slashes.
std::string temp_candidate() {
  const char* env = std::getenv("TMPDIR");
  std::string candidate = (env != nullptr && env[0] != '\0') ? env : "/tmp";
  while (candidate.size() > 1 && candidate.back() == '/') candidate.pop_back();
  return candidate;
}

}  // namespace

bool temp_directory(std::string* dir) {
  const std::string candidate = temp_candidate();
  struct stat st;
  if (stat(candidate.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  *dir = candidate;
  return true;
}

int32_t temp_folder_problem(std::string* folder) {
  *folder = temp_candidate();
  std::string dir;
  if (!temp_directory(&dir)) return LFTM_ERR_TEMP_MISSING;
  return access(dir.c_str(), W_OK | X_OK) == 0 ? 0 : LFTM_ERR_TEMP_NOT_WRITABLE;
}

int32_t check_temp_folder() {
  std::string folder;
  const int32_t problem = temp_folder_problem(&folder);
  if (problem == LFTM_ERR_TEMP_MISSING) {
    diag_out("the temporary folder %s does not exist: set TMPDIR to an existing folder\n",
             folder.c_str());
  } else if (problem == LFTM_ERR_TEMP_NOT_WRITABLE) {
    diag_out("the temporary folder %s is not writable: set TMPDIR to a folder you can write "
             "to\n",
             folder.c_str());
  }
  return problem;
}

int create_scratch_file(const char* prefix, std::string* path) {
  std::string dir;
  if (!temp_directory(&dir)) {
    check_temp_folder();
    return LFTM_ERR_FILE;
  }
  std::string pattern = dir + "/" + prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  {
    SignalsHeld held;
    int fd = mkstemp(name.data());
    if (fd < 0) {
      const int error = errno;
      if (check_temp_folder() == 0) {
        diag_out("could not create a scratch file in %s: %s\n", dir.c_str(), std::strerror(error));
      }
      return LFTM_ERR_IO;
    }
    close(fd);
    live_file_add(name.data());
  }
  path->assign(name.data());
  return 0;
}

namespace {

std::atomic<long long> bytesRead{0};
std::atomic<long long> bytesWritten{0};

}  // namespace

int write_quarters(std::FILE* file, const void* data, size_t bytes) {
  if (bytes == 0) return 4;
  const size_t items = std::fwrite(data, bytes / 4, 4, file);
  bytesWritten += static_cast<long long>(items * (bytes / 4));
  return static_cast<int>(items);
}

int read_quarters(std::FILE* file, void* data, size_t bytes) {
  if (bytes == 0) return 4;
  const size_t items = std::fread(data, bytes / 4, 4, file);
  bytesRead += static_cast<long long>(items * (bytes / 4));
  return static_cast<int>(items);
}

namespace {

// Moves the four quarters of `bytes` bytes at byte `offset`, quarter q on worker q mod count
// of up to `workers`, each with as many calls of move(from, length, position) as it takes
// (`from` counts bytes from the start of the transfer); adds what was moved to `counter` and
// returns how many quarters were moved whole.
template <typename Move>
int move_quarters(long long offset, size_t bytes, int workers, std::atomic<long long>* counter,
                  Move move) {
  if (bytes == 0) return 4;
  const size_t size = bytes / 4;
  const int count = clamp_workers(workers) < 4 ? clamp_workers(workers) : 4;
  std::atomic<int> moved{0};
  run_tiles(count, [&](int t) {
    for (int q = t; q < 4; q += count) {
      size_t done = 0;
      while (done < size) {
        const size_t from = q * size + done;
        const ssize_t got = move(from, size - done, static_cast<off_t>(offset + from));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
      }
      if (done < size) continue;
      *counter += static_cast<long long>(size);
      ++moved;
    }
  });
  return moved.load();
}

}  // namespace

int write_quarters_at(int fd, long long offset, const void* data, size_t bytes, int workers) {
  const auto* bytesFrom = static_cast<const char*>(data);
  return move_quarters(offset, bytes, workers, &bytesWritten,
                       [&](size_t from, size_t length, off_t position) {
                         return pwrite(fd, bytesFrom + from, length, position);
                       });
}

int read_quarters_at(int fd, long long offset, void* data, size_t bytes, int workers) {
  auto* bytesTo = static_cast<char*>(data);
  return move_quarters(offset, bytes, workers, &bytesRead,
                       [&](size_t from, size_t length, off_t position) {
                         return pread(fd, bytesTo + from, length, position);
                       });
}

ScratchTraffic scratch_traffic() {
  ScratchTraffic traffic;
  traffic.read = bytesRead.load();
  traffic.written = bytesWritten.load();
  return traffic;
}

bool seek_to(std::FILE* file, long long offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

void remove_file(const char* path) {
  if (path == nullptr || path[0] == '\0') return;
  unlink(path);
  live_file_drop(path);
}

}  // namespace lftm
