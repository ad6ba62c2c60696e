// SPDX-License-Identifier: BSD-3-Clause
#include "request_guard.h"

namespace lftm_tune {

std::string session_cookie_name(int port) { return "lftm_tune_" + std::to_string(port); }

std::string session_cookie(int port, const std::string& token) {
  return session_cookie_name(port) + "=" + token + "; Path=/; HttpOnly; SameSite=Strict";
}

std::string cookie_value(const std::string& header, const std::string& name) {
  size_t start = 0;
  while (start < header.size()) {
    size_t end = header.find(';', start);
    if (end == std::string::npos) end = header.size();
    size_t first = header.find_first_not_of(' ', start);
    if (first < end && header.compare(first, name.size(), name) == 0 &&
        first + name.size() < end && header[first + name.size()] == '=') {
      const size_t value = first + name.size() + 1;
      const size_t last = header.find_last_not_of(' ', end - 1);
      return header.substr(value, last + 1 - value);
    }
    start = end + 1;
  }
  return "";
}

bool host_is_own(const std::string& host, int port) {
  const std::string suffix = ":" + std::to_string(port);
  for (const char* name : {"127.0.0.1", "[::1]", "localhost"}) {
    // A browser leaves out the port only when it is HTTP's own.
    if (host == name + suffix || (port == 80 && host == name)) return true;
  }
  return false;
}

bool origin_is_own(const std::string& origin, int port) {
  const std::string scheme = "http://";
  return origin.compare(0, scheme.size(), scheme) == 0 &&
         host_is_own(origin.substr(scheme.size()), port);
}

bool sent_by_own_page(const std::string& origin, const std::string& fetchSite, int port) {
  if (!origin.empty()) return origin_is_own(origin, port);
  return fetchSite == "same-origin";
}

}  // namespace lftm_tune
