// SPDX-License-Identifier: BSD-3-Clause
// The secret that every request to the tuner must carry: whoever else can reach the loopback
// port (another user, a web page in the browser) cannot know it.
#ifndef LFTM_TOOLS_TUNE_ACCESS_TOKEN_H_
#define LFTM_TOOLS_TUNE_ACCESS_TOKEN_H_

#include <string>

namespace lftm_tune {

// 32 hexadecimal digits from the system's random source; "" when none can be read.
std::string make_access_token();

// Whether `given` is `expected`, compared in a time that does not depend on where they differ.
bool token_matches(const std::string& expected, const std::string& given);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_ACCESS_TOKEN_H_
