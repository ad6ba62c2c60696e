// SPDX-License-Identifier: BSD-3-Clause
#include "platform/staged_output.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>

#include "platform/live_files.h"
#include "platform/own_output.h"
#include "platform/scratch_file.h"

namespace lftm {
namespace {

// Longest part of the final name kept in the temporary's name, so that ".", ".XXXXXX" and
// the name (and a short suffix) stay within the 255 bytes a folder entry may have.
constexpr size_t kNameKept = 240;
constexpr int kAttempts = 100;

// Six characters that differ between calls, threads and processes (mkstemp's alphabet).
std::string unique_suffix() {
  static std::atomic<uint64_t> counter{0};
  uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
               (static_cast<uint64_t>(getpid()) << 32) ^
               (counter.fetch_add(1, std::memory_order_relaxed) * 0x9E3779B97F4A7C15ull);
  // One step of splitmix64 spreads neighbouring inputs over the whole range.
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix(6, 'a');
  for (char& c : suffix) {
    c = kLetters[x % 62];
    x /= 62;
  }
  return suffix;
}

// Gives the temporary the permission bits of the file it replaces, as writing into that file
// would have kept them.
bool keep_mode(const std::string& temp, const std::string& final) {
  struct stat st;
  if (stat(final.c_str(), &st) != 0) return true;  // a new file keeps the default mode
  const int fd = open(temp.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool kept = fchmod(fd, st.st_mode & 0777) == 0;
  close(fd);
  return kept;
}

}  // namespace

OutputState output_state(const char* path, const char* software) {
  struct stat st;
  if (stat(path, &st) != 0) return OutputState::kAbsent;
  if (!S_ISREG(st.st_mode)) return OutputState::kNotFile;
  if (access(path, W_OK) != 0) return OutputState::kReadOnly;
  return is_own_output(path, software) ? OutputState::kOwnOutput : OutputState::kForeign;
}

StagedOutput::~StagedOutput() { discard(); }

int StagedOutput::check_final() const {
  switch (output_state(final_.c_str(), nullptr)) {
    case OutputState::kNotFile: return kStagingNotFile;
    case OutputState::kReadOnly: return kStagingReadOnly;
    case OutputState::kForeign: return replace_ == Replace::kOwnOutputs ? kStagingForeign : 0;
    default: return 0;
  }
}

int StagedOutput::create(const char* finalPath, const char* suffix, Replace replace) {
  discard();
  final_ = finalPath;
  replace_ = replace;
  const size_t slash = final_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : final_.substr(0, slash + 1);
  const std::string name = final_.substr(folder.size());
  if (name.empty()) return kStagingFailed;
  const int refused = check_final();
  if (refused < 0) return refused;
  const std::string stem = folder + "." + name.substr(0, kNameKept) + ".";
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string candidate = stem + unique_suffix() + suffix;
    // open() with 0666 gives the mode of any newly created file: the umask and a default
    // access list of the folder apply, as they would to the final name.
    SignalsHeld held;
    int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return kStagingFailed;
    }
    close(fd);
    live_file_add(candidate.c_str());
    temp_ = candidate;
    return 0;
  }
  return kStagingFailed;
}

int StagedOutput::commit() {
  if (temp_.empty()) return kStagingFailed;
  // The run may have taken minutes: what stands at the name now is what is replaced.
  const int refused = check_final();
  if (refused < 0 || !keep_mode(temp_, final_) || rename(temp_.c_str(), final_.c_str()) != 0) {
    discard();
    return refused < 0 ? refused : kStagingFailed;
  }
  live_file_drop(temp_.c_str());
  temp_.clear();
  return 0;
}

void StagedOutput::discard() {
  remove_file(temp_.c_str());
  temp_.clear();
}

}  // namespace lftm
