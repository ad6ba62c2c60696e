// SPDX-License-Identifier: BSD-3-Clause
// Who may talk to the tuner. The page authenticates with a cookie that only this server sets;
// the Host header must name the loopback server itself (a page whose name was rebound to
// 127.0.0.1 is refused), and a request that changes something must come from the tuner's
// own page (another site or another port of 127.0.0.1 cannot make the browser send one).
#ifndef LFTM_TOOLS_TUNE_REQUEST_GUARD_H_
#define LFTM_TOOLS_TUNE_REQUEST_GUARD_H_

#include <string>

namespace lftm_tune {

// The cookie's name holds the port: cookies do not tell ports apart, and two tuners may run.
std::string session_cookie_name(int port);

// The Set-Cookie value that gives the browser `token`: never readable by scripts, never sent
// by requests that other sites start, for every path.
std::string session_cookie(int port, const std::string& token);

// The value of the cookie `name` in a Cookie header ("a=1; b=2"), "" when absent.
std::string cookie_value(const std::string& header, const std::string& name);

// Whether `host` (a Host header) is 127.0.0.1, [::1] or localhost with `port`.
bool host_is_own(const std::string& host, int port);

// Whether `origin` (an Origin header) is http:// and one of those hosts.
bool origin_is_own(const std::string& origin, int port);

// Whether a request that changes something came from the tuner's own page: its Origin, when
// given, must be the server's; without one, the browser must tell it is same-origin.
bool sent_by_own_page(const std::string& origin, const std::string& fetchSite, int port);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_REQUEST_GUARD_H_
