// SPDX-License-Identifier: BSD-3-Clause
#include "platform/sibling_loader.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <mutex>

#include "lftm.h"
#include "platform/diag.h"

// The build says where an installed tree keeps the plug-ins: the folder's name inside the
// library folder, and its path from the bin/ folder of a program.
#ifndef LFTM_PLUGIN_DIR_NAME
#define LFTM_PLUGIN_DIR_NAME "lftm0"
#endif
#ifndef LFTM_BIN_TO_PLUGINS
#define LFTM_BIN_TO_PLUGINS "../lib/" LFTM_PLUGIN_DIR_NAME
#endif

namespace lftm {

const char kPluginVersionEntry[] = "lftm_plugin_version";

namespace {

// dlopen and dlclose may be called from several threads at once, but the loader orders them
// with a lock of its own that ThreadSanitizer cannot see; taking this one around them lets
// runs of several images at once be checked for races.
std::mutex g_loader_mutex;

using PluginVersionFn = int32_t (*)();

bool is_regular_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Why a loaded library may not be used, or empty when it may. Only a private copy must have
// the entry; the search path's libraries of classic hosts predate it.
std::string version_refusal(void* handle, bool private_copy) {
  auto version = reinterpret_cast<PluginVersionFn>(dlsym(handle, kPluginVersionEntry));
  if (version == nullptr) {
    return private_copy ? "it has no version entry (a plug-in older than this library)"
                        : std::string();
  }
  const int32_t found = version();
  if (found == LFTM_VERSION) return std::string();
  return "it is of version " + std::to_string(found) + ", this library of version " +
         std::to_string(LFTM_VERSION);
}

// Opens `path` and keeps it only when its version entry allows; prints why it refuses. A
// bare name missing from the search path is left for the caller to report.
void* open_checked(const std::string& path, bool private_copy) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    if (private_copy) diag_out("Refused plug-in %s: %s\n", path.c_str(), why ? why : "unloadable");
    return nullptr;
  }
  const std::string refusal = version_refusal(handle, private_copy);
  if (refusal.empty()) return handle;
  diag_out("Refused plug-in %s: %s\n", path.c_str(), refusal.c_str());
  dlclose(handle);
  return nullptr;
}

void* open_private_locked(const std::string& folder, const char* dll_name, bool* found) {
  const std::string path = folder + sibling_file_name(dll_name);
  *found = is_regular_file(path);
  return *found ? open_checked(path, true) : nullptr;
}

// The file that holds this code: liblftm.so as the dynamic linker opened it, or the program
// that links the library statically. The program's link map has no name (dladdr would give
// argv[0], which a program started through PATH or /proc/self/exe does not locate), so its
// file is read from /proc/self/exe.
std::string code_file() {
  Dl_info info;
  struct link_map* map = nullptr;
  if (dladdr1(reinterpret_cast<void*>(&library_directory), &info, reinterpret_cast<void**>(&map),
              RTLD_DL_LINKMAP) == 0) {
    return std::string();
  }
  if (map != nullptr && map->l_name != nullptr && map->l_name[0] != '\0') return map->l_name;
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof path) return std::string();
  return std::string(path, static_cast<size_t>(length));
}

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
  std::string path = code_file();
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash);
}

std::vector<std::string> plugin_folders() {
  const std::string dir = library_directory();
  if (dir.empty()) return {};
  // Beside liblftm.so (the build tree), its installed plug-in folder; for a program that
  // links the library statically, the installed plug-in folder seen from bin/ and the build
  // tree's lib/.
  return {dir + "/", dir + "/" LFTM_PLUGIN_DIR_NAME "/", dir + "/" LFTM_BIN_TO_PLUGINS "/",
          dir + "/../lib/"};
}

void* sibling_open_private(const std::string& folder, const char* dll_name, bool* found) {
  std::lock_guard<std::mutex> lock(g_loader_mutex);
  return open_private_locked(folder, dll_name, found);
}

void* sibling_open(const char* dll_name) {
  std::lock_guard<std::mutex> lock(g_loader_mutex);
  bool any_private = false;
  for (const std::string& folder : plugin_folders()) {
    bool found = false;
    void* handle = open_private_locked(folder, dll_name, &found);
    if (handle != nullptr) return handle;
    any_private = any_private || found;
  }
  // A refused private copy is not replaced from the search path.
  if (any_private) return nullptr;
  return open_checked(sibling_file_name(dll_name), false);
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
