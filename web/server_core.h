#pragma once

// What every connection of the server shares: the site, the limits, the
// I/O context, the acceptor, the stop flag, the open connections and the
// design queue. The connections are owned here, from their accept to their
// close, so nothing else (a design ticket in the queue) has to keep one
// alive.

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <functional>
#include <memory>
#include <unordered_map>

#include "web/design_queue.h"
#include "web/held_budget.h"
#include "web/http_message.h"
#include "web/http_server.h"

namespace kalvorden {

class Connection;

// An answer with what it holds counted: its body in memory, its file in the
// scratch directory. The charges come first, so they are given back after
// the answer is freed.
struct CountedResponse {
  HeldCharge memory;
  HeldCharge scratch;
  HttpResponse response;
};

// What every connection shares. Everything but `stopping`, the budgets and
// the design queue is touched on the connection thread only.
struct ServerCore {
  ServerCore(HttpSite& site, const HttpLimits& limits)
      : site(site), limits(limits), designs(limits.concurrentDesigns) {}

  void Accept();
  void OnAccept(const boost::system::error_code& ec, boost::asio::ip::tcp::socket socket);
  void StopHere();
  // Gives the memory freed by closed connections back to the system, at
  // most once every `trimPause`.
  void TrimSoon();
  // Counts what `answer` holds in place of what was counted for it so far.
  void Count(CountedResponse& answer);
  // Runs `design` on a design worker within the memory budget (see
  // http_server.cc).
  CountedResponse RunDesign(const DesignTicket& ticket,
                            const std::function<HttpResponse(const KeepGoing&)>& design);

  HttpSite& site;
  const HttpLimits limits;
  // What the answers hold: pages in memory (sent, waiting to be sent, or
  // being built), downloads in the scratch directory
  // (HttpLimits::mostHeldMemory, mostHeldScratch). Before `io`, so that a
  // handler destroyed with it can still give its charge back.
  HeldBudget memory{limits.mostHeldMemory};
  HeldBudget scratch{limits.mostHeldScratch};
  boost::asio::io_context io{1};
  boost::asio::ip::tcp::acceptor acceptor{io};
  boost::asio::steady_timer acceptRetry{io};
  std::atomic<bool> stopping{false};
  std::unordered_map<Connection*, std::shared_ptr<Connection>> connections;
  boost::asio::steady_timer trim{io};
  bool trimArmed = false;
  // Declared last, so destroyed first: its workers post to `io`.
  DesignQueue designs;
};

}  // namespace kalvorden
