#include "platform/scratch_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "lftm.h"
#include "platform/live_files.h"
#include "platform/workers.h"

namespace lftm {

bool temp_directory(std::string* dir) {
  const char* env = std::getenv("TMPDIR");
  std::string candidate = (env != nullptr && env[0] != '\0') ? env : "/tmp";
  while (candidate.size() > 1 && candidate.back() == '/') candidate.pop_back();
  struct stat st;
  if (stat(candidate.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  *dir = candidate;
  return true;
}

int create_scratch_file(const char* prefix, std::string* path) {
  std::string dir;
  if (!temp_directory(&dir)) return LFTM_ERR_FILE;
  std::string pattern = dir + "/" + prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  {
    SignalsHeld held;
    int fd = mkstemp(name.data());
    if (fd < 0) return LFTM_ERR_IO;
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

// Moves one item of `size` bytes at `offset` with as many calls as it takes; false on an error
// or at the end of the file.
template <typename Call>
bool move_item(Call call, size_t size, long long offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got = call(done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

// Runs item(q) for the four quarters on up to `workers` threads; returns how many succeeded.
template <typename Item>
int four_items(int workers, Item item) {
  const int count = clamp_workers(workers) < 4 ? clamp_workers(workers) : 4;
  std::atomic<int> moved{0};
  run_tiles(count, [&](int t) {
    for (int q = t; q < 4; q += count) {
      if (item(q)) ++moved;
    }
  });
  return moved.load();
}

}  // namespace

int write_quarters_at(int fd, long long offset, const void* data, size_t bytes, int workers) {
  if (bytes == 0) return 4;
  const size_t size = bytes / 4;
  const auto* from = static_cast<const char*>(data);
  return four_items(workers, [&](int q) {
    const long long at = offset + static_cast<long long>(q * size);
    const bool moved = move_item(
        [&](size_t done, size_t left, off_t pos) {
          return pwrite(fd, from + q * size + done, left, pos);
        },
        size, at);
    if (moved) bytesWritten += static_cast<long long>(size);
    return moved;
  });
}

int read_quarters_at(int fd, long long offset, void* data, size_t bytes, int workers) {
  if (bytes == 0) return 4;
  const size_t size = bytes / 4;
  auto* to = static_cast<char*>(data);
  return four_items(workers, [&](int q) {
    const long long at = offset + static_cast<long long>(q * size);
    const bool moved = move_item(
        [&](size_t done, size_t left, off_t pos) {
          return pread(fd, to + q * size + done, left, pos);
        },
        size, at);
    if (moved) bytesRead += static_cast<long long>(size);
    return moved;
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
