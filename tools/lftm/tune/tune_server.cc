// SPDX-License-Identifier: BSD-3-Clause
#include "tune_server.h"

#include <httplib.h>
#include <sys/socket.h>

#include <chrono>

#include "handlers.h"

namespace lftm_tune {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string url_decode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && hex_value(text[i + 1]) >= 0 &&
               hex_value(text[i + 2]) >= 0) {
      out += static_cast<char>(hex_value(text[i + 1]) * 16 + hex_value(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Each connection holds one of the pool's threads while it is open: connections that send
// nothing are closed after a second, and the pool is large enough that dozens of them leave
// threads for the page. The kernel's queue of connections not yet accepted is long too, so
// that a burst of them does not make the page's own connection wait to be retried.
constexpr time_t kIdleSeconds = 1;
constexpr size_t kConnectionThreads = 64;

void answer(TuneSession* session, int port, const httplib::Request& req,
            httplib::Response& res) {
  Request request;
  request.method = req.method;
  request.path = req.path;
  request.port = port;
  request.host = req.get_header_value("Host");
  request.origin = req.get_header_value("Origin");
  request.fetchSite = req.get_header_value("Sec-Fetch-Site");
  request.cookies = req.get_header_value("Cookie");
  for (const auto& param : req.params) request.fields.insert(param);
  if (req.get_header_value("Content-Type").find("application/x-www-form-urlencoded") == 0) {
    for (const auto& f : parse_form(req.body)) request.fields.insert(f);
  }
  const Reply reply = handle_request(session, request);
  res.status = reply.status;
  for (const auto& header : reply.headers) res.set_header(header.first.c_str(), header.second);
  // The page and its pictures change with every request; nothing is to be cached or framed.
  res.set_header("Cache-Control", "no-store");
  res.set_header("X-Frame-Options", "DENY");
  res.set_header("Referrer-Policy", "no-referrer");
  res.set_content(reply.body, reply.type.c_str());
}

}  // namespace

FormFields parse_form(const std::string& text) {
  FormFields fields;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('&', start);
    if (end == std::string::npos) end = text.size();
    const std::string pair = text.substr(start, end - start);
    const size_t eq = pair.find('=');
    if (!pair.empty()) {
      fields.emplace(url_decode(pair.substr(0, eq)),
                     eq == std::string::npos ? std::string() : url_decode(pair.substr(eq + 1)));
    }
    start = end + 1;
  }
  return fields;
}

TuneServer::TuneServer(TuneSession* session) : session_(session) {}

TuneServer::~TuneServer() { stop(); }

std::shared_ptr<int> TuneServer::configure(httplib::Server* server) {
  TuneSession* session = session_;
  const int* listening = &port_;
  auto handler = [session, listening](const httplib::Request& req, httplib::Response& res) {
    answer(session, *listening, req, res);
  };
  server->Get(".*", handler);
  server->Post(".*", handler);
  server->set_payload_max_length(1 << 16);
  server->set_keep_alive_timeout(kIdleSeconds);
  server->set_read_timeout(kIdleSeconds, 0);
  server->new_task_queue = [] { return new httplib::ThreadPool(kConnectionThreads); };
  // Only SO_REUSEADDR: with SO_REUSEPORT a second tuner started on the same --port would
  // share it silently instead of being told that it is in use.
  auto listenFd = std::make_shared<int>(-1);
  server->set_socket_options([listenFd](int fd) {
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    *listenFd = fd;
  });
  return listenFd;
}

std::string TuneServer::start(int port) {
  for (const char* host : {"127.0.0.1", "::1"}) {
    auto server = std::make_unique<httplib::Server>();
    const std::shared_ptr<int> listenFd = configure(server.get());
    const bool ipv4 = servers_.empty();
    if (ipv4) {
      port_ = port == 0 ? server->bind_to_any_port(host)
                        : (server->bind_to_port(host, port) ? port : -1);
      if (port_ <= 0) {
        const std::string where = port == 0 ? "" : " port " + std::to_string(port);
        return "cannot listen on 127.0.0.1" + where + " (in use? try another --port)";
      }
    } else if (!server->bind_to_port(host, port_)) {
      continue;  // a system without IPv6 is served on 127.0.0.1 alone
    }
    listen(*listenFd, SOMAXCONN);  // a listening socket takes the longer queue
    httplib::Server* raw = server.get();
    servers_.push_back(std::move(server));
    threads_.emplace_back([raw] { raw->listen_after_bind(); });
  }
  return "";
}

void TuneServer::stop() {
  // A server asked to stop before it runs would run on: wait until it does.
  for (auto& server : servers_) {
    for (int i = 0; i < 200 && !server->is_running(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    server->stop();
  }
  for (auto& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
  threads_.clear();
  servers_.clear();
}

}  // namespace lftm_tune
