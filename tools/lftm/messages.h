// Sentences for the library's negative result codes, for people reading the tool's output.
#ifndef LFTM_TOOLS_MESSAGES_H_
#define LFTM_TOOLS_MESSAGES_H_

#include <cstdint>

namespace lftm_cli {

// What went wrong and what to do about it; "unknown error" for a code not in the table.
const char* describe_code(int32_t code);

// The same for a code returned by a tone-mapping run of `method` (1 or 2), where a few codes
// mean something of their own (the Range Squeezer's -1: an image of a single luminance).
const char* describe_method_code(int32_t method, int32_t code);

// True when the table has a sentence for `code`.
bool is_known_code(int32_t code);

// Every code in the table, for tests and --help.
int known_code_count();
int32_t known_code_at(int index);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_MESSAGES_H_
