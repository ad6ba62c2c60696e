#include "fuzz_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace lftm_fuzz {
namespace {

std::string g_path;

void remove_input_file() {
  if (!g_path.empty()) unlink(g_path.c_str());
}

}  // namespace

const char* write_input_file(const uint8_t* data, size_t size, const char* suffix) {
  if (g_path.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    g_path = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/lftm_fuzz_" +
             std::to_string(getpid()) + suffix;
    std::atexit(remove_input_file);
  }
  std::FILE* f = std::fopen(g_path.c_str(), "wb");
  if (f == nullptr) return nullptr;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !ok) return nullptr;
  return g_path.c_str();
}

}  // namespace lftm_fuzz
