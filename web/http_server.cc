#include "web/http_server.h"

#include <malloc.h>

#include <boost/asio/post.hpp>
#include <string>
#include <vector>

#include "web/connection.h"
#include "web/server_core.h"

namespace kalvorden {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;

// accept fails when the process has no descriptor left: tried again after
// this pause rather than at once, in a loop that would take the thread.
constexpr std::chrono::milliseconds kAcceptRetry{100};
// Memory freed by closed connections (pages, buffers, on the design
// workers' heaps as well) is given back to the system this long after the
// first of them closed: a pause, so that a stream of connections costs one
// trim a second, not one each.
constexpr std::chrono::milliseconds kTrimPause{1000};
constexpr int kSendBufferBytes = 256 * 1024;

}  // namespace

// Counts what `answer` holds, its body in memory or its file in the scratch
// directory, in place of what was counted for it so far (a design's
// reservation): the new count is made before the old one is given back.
void ServerCore::Count(CountedResponse& answer) {
  const HttpResponse& response = answer.response;
  answer.memory = memory.Charge(response.file.valid() ? 0 : response.body.size());
  answer.scratch = scratch.Charge(response.file.valid() ? response.fileSize : 0);
}

// Runs a design on its worker, within the memory budget. The budget is
// looked at again here, not only when the design was asked for: a burst of
// requests (200 clients that will never read their pages) is admitted
// before any page exists, and the designs still queued once the first
// pages fill the budget must not be built. A design is counted from the
// moment it starts, at `designMemory` (its page in the making and its
// working state), and its answer in place of that as soon as it is made,
// before its worker takes the next design. So every design starts within
// the budget, counting every page built or being built, and the pages
// never hold more than `mostHeldMemory` (plus what a design takes beyond
// its reservation), whatever the number of clients and however fast the
// designs run compared with the sends.
CountedResponse ServerCore::RunDesign(const DesignTicket& ticket,
                                      const std::function<HttpResponse(const KeepGoing&)>& design) {
  CountedResponse answer;
  answer.memory = memory.Reserve(limits.designMemory);
  if (!answer.memory || scratch.Full()) {
    answer.response = site.Refusal(503);
  } else {
    try {
      answer.response = design([&ticket, this] { return ticket.keepGoing() && !stopping.load(); });
    } catch (const std::exception& /*failure*/) {
      answer.response = site.Refusal(500);
    }
  }
  Count(answer);
  return answer;
}

void ServerCore::Accept() {
  if (stopping.load()) {
    return;
  }
  acceptor.async_accept(
      [this](const ErrorCode& ec, tcp::socket socket) { OnAccept(ec, std::move(socket)); });
}

void ServerCore::OnAccept(const ErrorCode& ec, tcp::socket socket) {
  if (stopping.load() || !acceptor.is_open()) {
    return;
  }
  ErrorCode ignored;
  if (ec) {
    acceptRetry.expires_after(kAcceptRetry);
    acceptRetry.async_wait([this](const ErrorCode& waited) {
      if (!waited) {
        Accept();
      }
    });
    return;
  }
  if (connections.size() >= limits.mostConnections) {
    socket.set_option(asio::socket_base::linger(true, 0), ignored);
    socket.close(ignored);
  } else {
    socket.set_option(tcp::no_delay(true), ignored);
    // A fixed send buffer, so a client that does not read leaves its
    // answer in the server's count (HttpLimits::mostHeldMemory) rather than
    // in the kernel's, where hundreds of them would starve every socket.
    socket.set_option(asio::socket_base::send_buffer_size(kSendBufferBytes), ignored);
    auto connection = std::make_shared<Connection>(*this, std::move(socket));
    connections.emplace(connection.get(), connection);
    connection->Start();
  }
  Accept();
}

void ServerCore::TrimSoon() {
  if (trimArmed || stopping.load()) {
    return;
  }
  trimArmed = true;
  trim.expires_after(kTrimPause);
  trim.async_wait([this](const ErrorCode& ec) {
    trimArmed = false;
    if (!ec) {
      malloc_trim(0);
    }
  });
}

void ServerCore::StopHere() {
  stopping.store(true);
  ErrorCode ignored;
  acceptor.close(ignored);
  acceptRetry.cancel();
  trim.cancel();
  std::vector<std::shared_ptr<Connection>> open;
  for (const auto& [raw, connection] : connections) {
    open.push_back(connection);
  }
  for (const auto& connection : open) {
    connection->Abort();
  }
}

HttpServer::HttpServer(HttpSite& site, const HttpLimits& limits)
    : core_(std::make_unique<ServerCore>(site, limits)) {}

HttpServer::~HttpServer() = default;

bool HttpServer::Listen(const std::string& address, int port, std::string& error) {
  ServerCore& core = *core_;
  ErrorCode ec;
  tcp::resolver resolver(core.io);
  const auto endpoints = resolver.resolve(
      address, std::to_string(port), tcp::resolver::passive | tcp::resolver::numeric_service, ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  for (const auto& entry : endpoints) {
    tcp::acceptor candidate(core.io);
    // SO_REUSEADDR only, so a restart right after a stop can bind again;
    // never SO_REUSEPORT, which would let a second server share the port.
    if (candidate.open(entry.endpoint().protocol(), ec) ||
        candidate.set_option(asio::socket_base::reuse_address(true), ec) ||
        candidate.bind(entry.endpoint(), ec) ||
        candidate.listen(asio::socket_base::max_listen_connections, ec)) {
      continue;
    }
    core.acceptor = std::move(candidate);
    return true;
  }
  error = ec ? ec.message() : "the address is not an address of this machine";
  return false;
}

int HttpServer::port() const {
  ErrorCode ec;
  const tcp::endpoint endpoint = core_->acceptor.local_endpoint(ec);
  return ec ? -1 : endpoint.port();
}

bool HttpServer::Run() {
  ServerCore& core = *core_;
  core.Accept();
  for (;;) {
    try {
      core.io.run();
      break;
    } catch (const std::exception& /*failure*/) {
      // A handler ran out of memory: the connection it served is lost, the
      // server goes on.
    }
  }
  if (!core.designs.Stop(core.limits.stopTime)) {
    return false;
  }
  // The designs that were running when the server stopped have posted
  // their answers; their connections are closed, so they are dropped.
  core.io.restart();
  core.io.poll();
  return true;
}

void HttpServer::Stop() {
  ServerCore& core = *core_;
  core.stopping.store(true);
  asio::post(core.io, [&core] { core.StopHere(); });
}
}  // namespace kalvorden
