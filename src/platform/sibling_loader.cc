#include "platform/sibling_loader.h"

#include <dlfcn.h>

#include <cstring>
#include <mutex>

namespace lftm {
namespace {

// dlopen and dlclose may be called from several threads at once, but the loader orders them
// with a lock of its own that ThreadSanitizer cannot see; taking this one around them lets
// runs of several images at once be checked for races.
std::mutex g_loader_mutex;

}  // namespace

std::string sibling_file_name(const char* dll_name) {
  std::string stem(dll_name);
  const std::string dll = ".dll";
  if (stem.size() > dll.size() &&
      strcasecmp(stem.c_str() + stem.size() - dll.size(), dll.c_str()) == 0) {
    stem.resize(stem.size() - dll.size());
  }
  return "lib" + stem + ".so";
}

std::string library_directory() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&library_directory), &info) == 0 ||
      info.dli_fname == nullptr) {
    return std::string();
  }
  std::string path(info.dli_fname);
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash);
}

void* sibling_open(const char* dll_name) {
  std::lock_guard<std::mutex> lock(g_loader_mutex);
  std::string file = sibling_file_name(dll_name);
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle != nullptr) return handle;
  std::string dir = library_directory();
  if (dir.empty()) return nullptr;
  // Beside liblftm.so (the build tree) and in its private lftm/ directory (an installed
  // tree); a program that links the library statically sits in bin/, and its libraries in
  // ../lib or ../lib/lftm.
  for (const char* place : {"/", "/lftm/", "/../lib/", "/../lib/lftm/"}) {
    std::string path = dir + place + file;
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) return handle;
  }
  return nullptr;
}

void* sibling_symbol(void* library, const char* entry_name) {
  if (library == nullptr) return nullptr;
  return dlsym(library, entry_name);
}

void sibling_close(void* library) {
  if (library == nullptr) return;
  std::lock_guard<std::mutex> lock(g_loader_mutex);
  dlclose(library);
}

}  // namespace lftm
