// SPDX-License-Identifier: BSD-3-Clause
// The rules on file names that every front end shares: which output format a name asks for,
// and when two names are one file.
#ifndef LFTM_HOST_FILE_RULES_H_
#define LFTM_HOST_FILE_RULES_H_

#include <cstdint>
#include <string>

namespace lftm {

// The lower-case extension of a path, without its dot ("" when the last name has none).
std::string lower_extension(const char* path);

// LFTM_OUTPUT_JPEG for ".jpg" and ".jpeg", LFTM_OUTPUT_TIFF for ".tif" and ".tiff" (any
// case), else LFTM_OUTPUT_NONE.
int32_t output_format_of(const char* path);

// True when both files exist and are one (the same device and inode).
bool same_existing_file(const char* a, const char* b);

// same_existing_file, or, when one of them does not exist, the same absolute name.
bool same_file(const char* a, const char* b);

}  // namespace lftm

#endif  // LFTM_HOST_FILE_RULES_H_
