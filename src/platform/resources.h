// SPDX-License-Identifier: BSD-3-Clause
// What the machine has for a run: memory that can be had now, and free space in a folder.
#ifndef LFTM_PLATFORM_RESOURCES_H_
#define LFTM_PLATFORM_RESOURCES_H_

#include <cstdint>
#include <string>

namespace lftm {

// What the two functions give when the system cannot be asked.
constexpr int64_t kResourceUnknown = -1;

// Memory a new allocation can have without pushing other programs out: the kernel's
// "MemAvailable" plus free swap, in bytes, or kResourceUnknown.
int64_t available_memory_bytes();

// Free bytes for an ordinary user on the file system holding `folder`, or kResourceUnknown.
int64_t free_disk_bytes(const std::string& folder);

// A byte count as people read it: "512 bytes", "3.4 KB", "250.0 MB", "6.2 GB".
std::string byte_count_text(int64_t bytes);

}  // namespace lftm

#endif  // LFTM_PLATFORM_RESOURCES_H_
