#pragma once

// `kalvorden serve`: the design as a local web page. The server keeps no
// state between requests (nothing survives a restart); every page and every
// download is produced from the values in its own request.

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "report/local_date_time.h"
#include "web/design_query.h"

namespace kalvorden {

struct WebServerOptions {
  std::string address = "127.0.0.1";  // anything but loopback only when asked for
  int port = 8080;                    // 0: a free port
  // The clock read once per design request; downloads carry its reading.
  ClockReader readClock;
  // Designs run at most this many at once; a request that waits longer than
  // `designWait` for its turn is answered 503.
  int concurrentDesigns = 2;
  std::chrono::milliseconds designWait{5000};
  // A design that takes longer than this is stopped and answered 503.
  std::chrono::milliseconds designTimeLimit{60000};
};

// Requests larger than this (request line, headers and body) are refused
// with 413.
constexpr size_t kMostRequestBytes = size_t{64} * 1024;

class WebServer {
 public:
  explicit WebServer(WebServerOptions options);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds the address and starts listening. False, with `error` set, when
  // that is not possible (address in use, not an address of this machine).
  bool Listen(std::string& error);
  int port() const;
  // "http://127.0.0.1:8080/"
  std::string Url() const;

  // Answers requests until Stop; returns once every request has ended.
  void Run();
  // Safe from any thread, also before Run.
  void Stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Runs the server in the foreground: prints its URL on `out` when it is
// ready, serves until SIGINT or SIGTERM, and returns 0; returns 69 after an
// error line on `err` when it cannot listen.
int RunServe(const WebServerOptions& options, FILE* out, FILE* err);

}  // namespace kalvorden
