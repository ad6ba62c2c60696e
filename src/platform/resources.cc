// SPDX-License-Identifier: BSD-3-Clause
#include "platform/resources.h"

#include <sys/statvfs.h>

#include <cstdio>
#include <cstring>

namespace lftm {
namespace {

// The value of one "Name:   1234 kB" line of /proc/meminfo in bytes, or kResourceUnknown.
int64_t meminfo_bytes(const char* text, const char* name) {
  const char* at = std::strstr(text, name);
  if (at == nullptr) return kResourceUnknown;
  long long kb = 0;
  if (std::sscanf(at + std::strlen(name), " %lld", &kb) != 1) return kResourceUnknown;
  return static_cast<int64_t>(kb) * 1024;
}

}  // namespace

int64_t available_memory_bytes() {
  std::FILE* file = std::fopen("/proc/meminfo", "r");
  if (file == nullptr) return kResourceUnknown;
  char text[8192];
  const size_t got = std::fread(text, 1, sizeof text - 1, file);
  std::fclose(file);
  text[got] = '\0';
  const int64_t available = meminfo_bytes(text, "MemAvailable:");
  if (available < 0) return kResourceUnknown;
  const int64_t swap = meminfo_bytes(text, "SwapFree:");
  return available + (swap > 0 ? swap : 0);
}

int64_t free_disk_bytes(const std::string& folder) {
  struct statvfs st;
  if (statvfs(folder.c_str(), &st) != 0) return kResourceUnknown;
  return static_cast<int64_t>(st.f_bavail) * static_cast<int64_t>(st.f_frsize);
}

std::string byte_count_text(int64_t bytes) {
  char text[32];
  if (bytes < 10000) {
    std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
  } else if (bytes < 10000000) {
    std::snprintf(text, sizeof text, "%.1f KB", bytes / 1e3);
  } else if (bytes < 1000000000LL) {
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  } else {
    std::snprintf(text, sizeof text, "%.1f GB", bytes / 1e9);
  }
  return text;
}

}  // namespace lftm
