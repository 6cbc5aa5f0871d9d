#pragma once

// The HTTP layer of `kalvorden serve`: connections, their limits and
// deadlines, pipelining and the stop. It is written for clients that do not
// play fair:
// - memory: a request is read into one buffer of at most `mostRequestBytes`
//   and only the fields the site uses are kept, so a flood of header lines
//   is refused (413) when the buffer is full, whatever follows; a body is
//   kept only where the site reads it, within the same bound;
// - time: the whole request must arrive within `requestTime` however slowly
//   it trickles (408), and each piece of an answer must be taken within
//   `sendTime`;
// - threads: one thread serves every connection without ever blocking, so a
//   slow client costs a socket and a buffer, never a thread; designs run on
//   `concurrentDesigns` workers of their own, and one that cannot start
//   within `designWait` is answered 503 by the connection thread;
// - order: a connection reads its next request only after it has answered
//   the last, so pipelined requests are answered in the order sent;
// - stop: every connection is reset, running designs are told to stop and
//   queued ones are dropped: a client never gets a status line whose body
//   will not come in full.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "web/http_message.h"

namespace kalvorden {

struct HttpLimits {
  size_t mostRequestBytes = size_t{64} * 1024;  // request line, fields and body: 413
  size_t mostTargetBytes = size_t{8} * 1024;    // the request target: 414
  std::chrono::milliseconds requestTime{10000};
  std::chrono::milliseconds sendTime{30000};
  // A whole answer must be taken within `sendTime` and its size at this
  // rate, however it trickles.
  uint64_t leastSendRate = uint64_t{64} * 1024;  // bytes per second
  // What the answers may hold in memory: the pages waiting to be sent, and
  // `designMemory` for each design running. A design is refused (503) when
  // it is asked for, and again when a worker would start it, unless its
  // `designMemory` still fits; once built, its page is counted at its size
  // in place of the reservation. So pages (being built or sent) hold at
  // most `mostHeldMemory` while no design takes more than `designMemory`,
  // however many clients ask at once and however fast the designs run.
  uint64_t mostHeldMemory = uint64_t{64} * 1024 * 1024;
  // What one design may take while it runs: its page as it is built (the
  // largest result page, 3125 cases, is about 4.3 MB, and is built in two
  // copies at most: its cases, then the page around them) and its working
  // state, with room to spare.
  uint64_t designMemory = uint64_t{16} * 1024 * 1024;
  // While the downloads being sent hold this much in the scratch
  // directory, a design is refused (503), when asked for and again when it
  // would start; the downloads being written add at most one each.
  uint64_t mostHeldScratch = uint64_t{256} * 1024 * 1024;
  // Connections beyond this are closed as soon as they are accepted.
  size_t mostConnections = 512;
  int concurrentDesigns = 2;
  std::chrono::milliseconds designWait{5000};
  // How long a stop waits for the designs to see it (see Run).
  std::chrono::milliseconds stopTime{1000};
};

// What the HTTP layer serves. Answer and Refusal are called on the
// connection thread and must not block; a design closure runs on a worker.
class HttpSite {
 public:
  virtual ~HttpSite() = default;
  virtual HttpAnswer Answer(const HttpRequest& request) = 0;
  // Whether the body of a request is kept for Answer, asked once its
  // method, target and fields are read. Such a request must say its length
  // (Content-Length or chunked; 411 otherwise). The body of every other
  // request is read and dropped.
  virtual bool ReadsBody(const HttpRequest& /*head*/) const { return false; }
  // The page of a refusal the HTTP layer makes itself: 400, 408, 411, 413,
  // 414, 500 (a handler that failed), 503 (no design worker came free in
  // time).
  virtual HttpResponse Refusal(int status) const = 0;
  // Fields every response carries (the security headers).
  virtual const std::vector<std::pair<std::string, std::string>>& CommonHeaders() const = 0;
};

struct ServerCore;

class HttpServer {
 public:
  HttpServer(HttpSite& site, const HttpLimits& limits);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds `address` (an address, or a name that resolves to one) and
  // `port` (0: a free one) and listens. False, with `error` set, when that
  // is not possible.
  bool Listen(const std::string& address, int port, std::string& error);
  int port() const;

  // Serves until Stop; returns once every connection is closed and every
  // design worker has ended, true, or, false, when a worker was still in a
  // part of a design that does not stop at once (a PDF's index) `stopTime`
  // after the stop. The caller may then end the process without it.
  bool Run();
  // Safe from any thread, also before Run.
  void Stop();

 private:
  std::unique_ptr<ServerCore> core_;
};

}  // namespace kalvorden
