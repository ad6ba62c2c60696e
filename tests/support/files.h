// SPDX-License-Identifier: BSD-3-Clause
// Files for the tests: bundled samples, whole-file reads and writes, directory listings and
// the first bytes of written images.
#ifndef LFTM_TESTS_SUPPORT_FILES_H_
#define LFTM_TESTS_SUPPORT_FILES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace lftm_test {

// Path of a bundled sample image ("golden_gate.hdr").
std::string sample_path(const std::string& name);

// Writes bytes to a file; returns false on failure.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes);
bool write_text(const std::string& path, const std::string& text);
// The whole file; empty when it cannot be read.
std::vector<uint8_t> read_file(const std::string& path);
std::string read_text(const std::string& path);

bool file_exists(const std::string& path);

// Names in a directory, sorted ("." and ".." left out); empty when it cannot be read.
std::vector<std::string> directory_entries(const std::string& dir);

// Entries of /proc/self/fd: the files this process holds open.
int open_descriptor_count();

bool starts_with_jpeg_marker(const std::string& path);
bool starts_with_tiff_header(const std::string& path);

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_FILES_H_
