#pragma once

// One client's connection to the server: read a request, answer it (at
// once, or after a design), send the answer, and again while the client
// keeps it open; with its deadlines, the watch for a client that leaves
// while its design runs, and the linger after a refusal.

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "web/design_queue.h"
#include "web/held_budget.h"
#include "web/http_message.h"
#include "web/request_parser.h"
#include "web/server_core.h"

namespace kalvorden {

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(ServerCore& server, boost::asio::ip::tcp::socket socket)
      : server_(server),
        socket_(std::move(socket)),
        buffer_(server.limits.mostRequestBytes),
        deadline_(server.io),
        designWait_(server.io),
        goneCheck_(server.io) {}

  void Start() { ReadRequest(); }
  // Resets the connection at once (a stop, a download whose file fell
  // short): the client sees the transfer broken, never a short body that
  // could pass for a whole one.
  void Abort();

 private:
  enum class Phase : uint8_t { kReading, kDesigning, kSending, kLingering };

  void ReadRequest();
  void OnRequest(const boost::system::error_code& ec);
  void Refuse(int status);
  void Answer();
  void StartDesign(std::function<HttpResponse(const KeepGoing&)> design);
  void OnDesignWaitOver(const std::shared_ptr<DesignTicket>& ticket);
  void OnDesignDone(CountedResponse answer);
  void Watch();
  void OnWatch(const boost::system::error_code& ec, size_t bytes);
  void WatchWithoutReading();
  void CheckGone();
  bool Gone();
  void Send(HttpResponse response);
  void Send(CountedResponse answer);
  void SendFilePiece();
  void OnSent(const boost::system::error_code& ec);
  void Linger();
  void Discard();
  void Close();
  void Release();
  void ArmSendDeadline();
  void ArmDeadline(std::chrono::milliseconds time);
  void OnDeadline();

  ServerCore& server_;
  boost::asio::ip::tcp::socket socket_;
  boost::beast::flat_buffer buffer_;
  std::optional<RequestParser> parser_;
  Phase phase_ = Phase::kReading;
  boost::asio::steady_timer deadline_;
  // Counts the deadlines armed, so that one which expired just as its
  // phase ended does not act on the next.
  unsigned deadlineCount_ = 0;
  bool deadlinePassed_ = false;
  boost::asio::steady_timer designWait_;
  std::shared_ptr<DesignTicket> ticket_;
  std::optional<CountedResponse> designAnswer_;  // held until the watch has ended
  bool watching_ = false;
  boost::asio::steady_timer goneCheck_;
  // How much of the status line went ahead of the answer (WatchWithoutReading).
  size_t headStartSent_ = 0;
  // The answer being sent, with what it is counted for in the server
  // core's budgets.
  CountedResponse sending_;
  std::chrono::steady_clock::time_point sendBy_;
  std::string head_;
  std::vector<char> piece_;
  uint64_t fileSent_ = 0;
  bool headSent_ = false;
  bool headOnly_ = false;
  bool keepAlive_ = false;
  bool version10_ = false;
  bool closed_ = false;
};

}  // namespace kalvorden
