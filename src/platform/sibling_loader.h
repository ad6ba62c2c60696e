// Run-time loading of the sibling imaging libraries. A library is named as the hosts know it
// ("Lumenforge_Tiff.dll"); here it is the shared object lib<stem>.so, looked up first by its
// bare name (the dynamic linker's search path), then in the directory of liblftm.so and its
// lftm/ subdirectory (where an install puts them), and for programs that link the library
// statically, in the lib/ and lib/lftm/ directories beside their bin/.
#ifndef LFTM_PLATFORM_SIBLING_LOADER_H_
#define LFTM_PLATFORM_SIBLING_LOADER_H_

#include <string>

namespace lftm {

// "Lumenforge_Tiff.dll" -> "libLumenforge_Tiff.so"; a name without ".dll" keeps its stem.
std::string sibling_file_name(const char* dll_name);

// The directory that holds the code of this library (liblftm.so, or the program that links
// the library statically), without a trailing slash; empty if it cannot be found.
std::string library_directory();

// Loads a sibling library; null when neither place has it.
void* sibling_open(const char* dll_name);

// An entry point of a loaded sibling library; null when it is missing.
void* sibling_symbol(void* library, const char* entry_name);

// Releases a library returned by sibling_open; null is ignored.
void sibling_close(void* library);

}  // namespace lftm

#endif  // LFTM_PLATFORM_SIBLING_LOADER_H_
