// The tuner's requests and answers, apart from any socket: the server hands each request
// here, and the tests call it directly.
#ifndef LFTM_TOOLS_TUNE_HANDLERS_H_
#define LFTM_TOOLS_TUNE_HANDLERS_H_

#include <string>

#include "settings_form.h"
#include "tune_session.h"

namespace lftm_tune {

struct Request {
  std::string method;  // "GET" or "POST"
  std::string path;    // "/", "/api/settings", ...
  FormFields fields;   // query and form fields together
  std::string token;   // the X-Lftm-Token header, when given
};

struct Reply {
  int status = 200;
  std::string type = "application/json";
  std::string body;
};

// Answers one request. Without the session's token: 403. A bad request gets a 4xx answer
// with a JSON {"error": "..."} and changes nothing.
Reply handle_request(TuneSession* session, const Request& request);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_HANDLERS_H_
