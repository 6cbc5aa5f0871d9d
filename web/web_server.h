#pragma once

// `kalvorden serve`: the design as a local web page. The server keeps no
// state between requests (nothing survives a restart); every page and every
// download is produced from the values in its own request.

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "run/clock.h"
#include "run/output_factory.h"
#include "run/rating_run.h"
#include "web/http_server.h"

namespace kalvorden {

struct WebServerOptions {
  std::string address = "127.0.0.1";  // anything but loopback only when asked for
  int port = 8080;                    // 0: a free port
  // The clock read once per design request; downloads carry its reading.
  ClockReader readClock;
  // The HTTP layer's limits: request size and time, connections, and the
  // designs run at once (2) and how long a request waits for its turn (5 s)
  // before it is answered 503.
  HttpLimits limits;
  // A design that takes longer than this is stopped and answered 503.
  std::chrono::milliseconds designTimeLimit{60000};
  // Where the downloads are written; empty for $TMPDIR, or /tmp.
  std::string scratchBase;
  // The maker of the rating's PDF (run/rating_run.h): the one place the web
  // page's rating/download/rating.pdf is wired in; without it the rating
  // page offers its CSV, sheet and project file only.
  RatingPdfMaker makeRatingPdf;
  // Makes the result page and the downloads.
  OutputFactory outputs;
};

class WebServer {
 public:
  explicit WebServer(WebServerOptions options);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds the address and starts listening. False, with `error` set, when
  // that is not possible (address in use, not an address of this machine).
  bool Listen(std::string& error);
  // Whether the private directory for downloads could be made; without it
  // every download would fail.
  bool hasScratch() const;
  int port() const;
  // "http://127.0.0.1:8080/"
  std::string Url() const;

  // Answers requests until Stop; returns once every connection is closed
  // and every design has ended, true, or false when a design was still busy
  // a second after the stop (HttpServer::Run).
  bool Run();
  // Removes every file the server has written; safe from any thread.
  void RemoveScratchFiles();
  // Safe from any thread, also before Run.
  void Stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Runs the server in the foreground: prints its URL on `out` when it is
// ready, serves until SIGINT, SIGTERM or SIGHUP, and returns 0; returns 69 after an
// error line on `err` when it cannot listen.
int RunServe(const WebServerOptions& options, FILE* out, FILE* err);

}  // namespace kalvorden
