// SPDX-License-Identifier: BSD-3-Clause
#include "access_token.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace lftm_tune {
namespace {

bool random_bytes(uint8_t* bytes, size_t count) {
  size_t got = 0;
  while (got < count) {
    ssize_t n = getrandom(bytes + got, count - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  if (got == count) return true;
  // Kernels without getrandom still have the device.
  int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  got = 0;
  while (got < count) {
    ssize_t n = read(fd, bytes + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  return got == count;
}

}  // namespace

std::string make_access_token() {
  uint8_t bytes[16];
  if (!random_bytes(bytes, sizeof bytes)) return "";
  static const char kDigits[] = "0123456789abcdef";
  std::string token;
  for (uint8_t b : bytes) {
    token.push_back(kDigits[b >> 4]);
    token.push_back(kDigits[b & 15]);
  }
  return token;
}

bool token_matches(const std::string& expected, const std::string& given) {
  if (expected.empty() || given.size() != expected.size()) return false;
  unsigned difference = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    difference |= static_cast<unsigned>(expected[i] ^ given[i]);
  }
  return difference == 0;
}

}  // namespace lftm_tune
