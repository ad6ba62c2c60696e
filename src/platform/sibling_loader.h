// SPDX-License-Identifier: BSD-3-Clause
// Run-time loading of the sibling imaging libraries, the library's private plug-ins. A library
// is named as the hosts know it ("Lumenforge_Tiff.dll"); here it is the shared object
// lib<stem>.so.
//
// The private copies are loaded by full path, so that a same-named file on the dynamic
// linker's search path (LD_LIBRARY_PATH, a system folder) cannot stand in for them: first the
// folder of liblftm.so (the build tree), then the installed plug-in folder lftm<soversion>/
// inside it; a program that links the library statically looks in the places an installed
// tree and the build tree put them relative to its bin/. A private copy is used only when its
// version entry (lftm_plugin_version) gives this library's version: a copy without it, or of
// another version, is refused with a diagnostic line. Only when no private copy exists at all
// is the bare name handed to the search path, where classic hosts put libraries of their own;
// those libraries predate the version entry, so there a library without it is accepted, and
// one whose entry gives another version is refused.
#ifndef LFTM_PLATFORM_SIBLING_LOADER_H_
#define LFTM_PLATFORM_SIBLING_LOADER_H_

#include <string>
#include <vector>

namespace lftm {

// The entry every private plug-in exports: int32_t lftm_plugin_version(void), the LFTM_VERSION
// of the build it belongs to.
extern const char kPluginVersionEntry[];

// "Lumenforge_Tiff.dll" -> "libLumenforge_Tiff.so"; a name without ".dll" keeps its stem.
std::string sibling_file_name(const char* dll_name);

// The directory that holds the code of this library (liblftm.so, or the program that links
// the library statically), without a trailing slash; empty if it cannot be found.
std::string library_directory();

// The folders searched for private copies, in order, each ending with a slash.
std::vector<std::string> plugin_folders();

// Loads the private copy of a sibling library from one folder: null when the folder has no
// such file or the file is refused (with a diagnostic line). *found says whether it had one.
void* sibling_open_private(const std::string& folder, const char* dll_name, bool* found);

// Loads a sibling library as described above; null when no place has a usable one.
void* sibling_open(const char* dll_name);

// An entry point of a loaded sibling library; null when it is missing.
void* sibling_symbol(void* library, const char* entry_name);

// Releases a library returned by sibling_open; null is ignored.
void sibling_close(void* library);

}  // namespace lftm

#endif  // LFTM_PLATFORM_SIBLING_LOADER_H_
