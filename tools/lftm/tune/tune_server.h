// SPDX-License-Identifier: BSD-3-Clause
// The tuner's web server: the handlers behind HTTP on the loopback interface only (127.0.0.1
// and, where the system has it, ::1), on one port.
#ifndef LFTM_TOOLS_TUNE_TUNE_SERVER_H_
#define LFTM_TOOLS_TUNE_TUNE_SERVER_H_

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "settings_form.h"
#include "tune_session.h"

namespace httplib {
class Server;
}

namespace lftm_tune {

class TuneServer {
 public:
  explicit TuneServer(TuneSession* session);
  ~TuneServer();
  TuneServer(const TuneServer&) = delete;
  TuneServer& operator=(const TuneServer&) = delete;

  // Listens on `port` (0: a free one). Returns "" or why it cannot.
  std::string start(int port);
  int port() const { return port_; }
  // Stops listening and waits for the requests being answered.
  void stop();

 private:
  // Routes every request to the session and sets the limits of connections. Returns where
  // the listening socket goes once it is made.
  std::shared_ptr<int> configure(httplib::Server* server);

  TuneSession* session_;
  std::vector<std::unique_ptr<httplib::Server>> servers_;
  std::vector<std::thread> threads_;
  int port_ = 0;
};

// Form fields of an application/x-www-form-urlencoded text ("a=1&b=x%20y").
FormFields parse_form(const std::string& text);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_TUNE_SERVER_H_
