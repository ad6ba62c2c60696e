// SPDX-License-Identifier: BSD-3-Clause
// The tuner's requests and answers, apart from any socket: the server hands each request
// here, and the tests call it directly.
#ifndef LFTM_TOOLS_TUNE_HANDLERS_H_
#define LFTM_TOOLS_TUNE_HANDLERS_H_

#include <string>
#include <utility>
#include <vector>

#include "settings_form.h"
#include "tune_session.h"

namespace lftm_tune {

struct Request {
  std::string method;     // "GET" or "POST"
  std::string path;       // "/", "/api/settings", ...
  FormFields fields;      // query and form fields together
  std::string host;       // the headers Host, Origin, Sec-Fetch-Site and Cookie ("" when
  std::string origin;     // absent)
  std::string fetchSite;
  std::string cookies;
  int port = 0;           // the port the server listens on
};

struct Reply {
  int status = 200;
  std::string type = "application/json";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;  // beyond the type
};

// Answers one request. A Host other than the loopback server's: 403. GET /?code=C with the
// one-time code: 303 to / with the session's cookie; a used or expired code: 403. Any other
// request without the cookie: 403, and one that changes something (any POST, a render)
// coming from another page than the tuner's: 403. A bad request gets a 4xx answer with a
// JSON {"error": "..."} and changes nothing.
Reply handle_request(TuneSession* session, const Request& request);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_HANDLERS_H_
