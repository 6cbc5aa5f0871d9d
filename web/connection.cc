#include "web/connection.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/read.hpp>
#include <cerrno>

#include "web/response_head.h"

namespace kalvorden {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;

// A download is sent in pieces of this size, each read from its file just
// before it is written, so a connection holds one piece, not the file.
constexpr size_t kFileChunkBytes = size_t{64} * 1024;
// While its design runs, a connection reads what the client sends next in
// pieces of this size (a pipelined request), to notice when it goes away.
constexpr size_t kWatchBytes = 4096;
// After a refusal the connection is closed for sending and what the client
// still sends is read and dropped for at most this long: closed at once,
// the unread bytes would make the kernel reset the connection, and the
// client could lose the refusal it had not read yet.
constexpr std::chrono::milliseconds kLingerTime{2000};
// A client that has ended its side of the connection while its design
// runs is checked this often for having left altogether.
constexpr std::chrono::milliseconds kGoneCheck{200};
// Every status line starts so; sent ahead, it finds out whether a client
// that ended its side is still there to read (see OnWatch).
constexpr std::string_view kStatusLineStart = "HTTP/1.1 ";

}  // namespace

void Connection::ArmDeadline(std::chrono::milliseconds time) {
  const unsigned count = ++deadlineCount_;
  deadlinePassed_ = false;
  deadline_.expires_after(time);
  deadline_.async_wait([self = shared_from_this(), count](const ErrorCode& ec) {
    if (!ec && !self->closed_ && count == self->deadlineCount_) {
      self->deadlinePassed_ = true;
      self->OnDeadline();
    }
  });
}

void Connection::OnDeadline() {
  ErrorCode ignored;
  switch (phase_) {
    case Phase::kReading:
      socket_.cancel(ignored);  // OnRequest answers 408, or closes an idle connection
      break;
    case Phase::kSending:
      Abort();
      break;
    case Phase::kLingering:
    case Phase::kDesigning:
      Close();
      break;
  }
}

void Connection::ReadRequest() {
  phase_ = Phase::kReading;
  headStartSent_ = 0;
  parser_.emplace(server_.limits, server_.site);
  ArmDeadline(server_.limits.requestTime);
  http::async_read(
      socket_, buffer_, *parser_,
      [self = shared_from_this()](const ErrorCode& ec, size_t /*bytes*/) { self->OnRequest(ec); });
}

void Connection::OnRequest(const ErrorCode& ec) {
  ++deadlineCount_;
  deadline_.cancel();
  if (closed_) {
    return;
  }
  if (!ec) {
    Answer();
    return;
  }
  if (deadlinePassed_) {
    // A client that began a request and did not finish it in time is told
    // so; an idle connection kept open between requests is just closed.
    if (parser_->got_some()) {
      Refuse(408);
    } else {
      Close();
    }
    return;
  }
  if (parser_->refusal() != 0) {
    Refuse(parser_->refusal());
    return;
  }
  const bool parseFault =
      ec.category() == http::make_error_code(http::error::bad_target).category();
  if (!parseFault || ec == http::error::end_of_stream || ec == http::error::partial_message) {
    Close();  // the client closed or reset the connection
    return;
  }
  const bool tooLarge = ec == http::error::header_limit || ec == http::error::body_limit ||
                        ec == http::error::buffer_overflow;
  Refuse(tooLarge ? 413 : 400);
}

void Connection::Refuse(int status) {
  keepAlive_ = false;
  headOnly_ = false;
  Send(server_.site.Refusal(status));
}

void Connection::Answer() {
  const HttpRequest& request = parser_->request();
  headOnly_ = request.method == "HEAD";
  keepAlive_ = parser_->keep_alive() && !server_.stopping.load();
  version10_ = parser_->version() == 10;
  HttpAnswer answer;
  try {
    answer = server_.site.Answer(request);
  } catch (const std::exception& /*failure*/) {
    Send(server_.site.Refusal(500));
    return;
  }
  if (answer.design &&
      (server_.memory.WouldExceed(server_.limits.designMemory) || server_.scratch.Full())) {
    Send(server_.site.Refusal(503));  // slow readers hold enough already
  } else if (answer.design) {
    StartDesign(std::move(answer.design));
  } else {
    Send(std::move(answer.response));
  }
}

void Connection::StartDesign(std::function<HttpResponse(const KeepGoing&)> design) {
  phase_ = Phase::kDesigning;
  ServerCore& server = server_;
  // The ticket's work holds its connection weakly: the server core owns
  // the connection, and a ticket withdrawn but still queued pins nothing.
  ticket_ = std::make_shared<DesignTicket>(
      [weak = weak_from_this(), design = std::move(design), &server](const DesignTicket& ticket) {
        CountedResponse answer = server.RunDesign(ticket, design);
        asio::post(server.io, [weak, answer = std::move(answer)]() mutable {
          if (const std::shared_ptr<Connection> self = weak.lock()) {
            self->OnDesignDone(std::move(answer));
          }
        });
      });
  server_.designs.Submit(ticket_);
  designWait_.expires_after(server_.limits.designWait);
  designWait_.async_wait([self = shared_from_this(), ticket = ticket_](const ErrorCode& ec) {
    if (!ec) {
      self->OnDesignWaitOver(ticket);
    }
  });
  Watch();
}

void Connection::OnDesignWaitOver(const std::shared_ptr<DesignTicket>& ticket) {
  if (closed_ || ticket != ticket_ || !ticket->Withdraw()) {
    return;  // answered already, or started in time
  }
  CountedResponse refusal{{}, {}, server_.site.Refusal(503)};
  server_.Count(refusal);
  OnDesignDone(std::move(refusal));
}

void Connection::OnDesignDone(CountedResponse answer) {
  if (closed_) {
    return;
  }
  designWait_.cancel();
  goneCheck_.cancel();
  ticket_.reset();
  if (watching_) {
    // The answer is sent when the watch has ended; its read may have
    // brought the next request, which must stay in the buffer.
    designAnswer_ = std::move(answer);
    ErrorCode ignored;
    socket_.cancel(ignored);
    return;
  }
  Send(std::move(answer));
}

void Connection::Watch() {
  const size_t room = buffer_.max_size() - buffer_.size();
  if (room == 0) {
    return;  // the buffer is full of what comes next: read after the answer
  }
  watching_ = true;
  socket_.async_read_some(
      buffer_.prepare(std::min(room, kWatchBytes)),
      [self = shared_from_this()](const ErrorCode& ec, size_t bytes) { self->OnWatch(ec, bytes); });
}

void Connection::OnWatch(const ErrorCode& ec, size_t bytes) {
  watching_ = false;
  if (closed_) {
    return;
  }
  if (!ec) {
    buffer_.commit(bytes);
  }
  if (designAnswer_) {
    CountedResponse answer = std::move(*designAnswer_);
    designAnswer_.reset();
    Send(std::move(answer));
    return;
  }
  if (ec == asio::error::eof) {
    WatchWithoutReading();
    return;
  }
  if (ec) {
    Close();  // the client has gone: its design stops after the case it is on
    return;
  }
  Watch();
}

// The client has ended its side after a request received in full: it may
// have left, or only said that it sends nothing more (and still reads). The
// two look the same until something is sent: the first bytes of the status
// line go ahead (the answer starts with them whatever it is), a client that
// has left answers them with a reset, and the connection is checked for one
// until the design is done.
void Connection::WatchWithoutReading() {
  const ssize_t sent = send(socket_.native_handle(), kStatusLineStart.data(),
                            kStatusLineStart.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
    Close();
    return;
  }
  headStartSent_ = sent < 0 ? 0 : static_cast<size_t>(sent);
  CheckGone();
}

void Connection::CheckGone() {
  goneCheck_.expires_after(kGoneCheck);
  goneCheck_.async_wait([self = shared_from_this()](const ErrorCode& ec) {
    if (ec || self->closed_ || self->phase_ != Phase::kDesigning) {
      return;
    }
    if (self->Gone()) {
      self->Close();  // its design stops after the case it is on
    } else {
      self->CheckGone();
    }
  });
}

bool Connection::Gone() {
  int error = 0;
  socklen_t size = sizeof error;
  tcp_info info{};
  socklen_t infoSize = sizeof info;
  return getsockopt(socket_.native_handle(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 ||
         error != 0 ||
         getsockopt(socket_.native_handle(), IPPROTO_TCP, TCP_INFO, &info, &infoSize) != 0 ||
         info.tcpi_state == TCP_CLOSE;
}

void Connection::Send(HttpResponse response) {
  CountedResponse answer{{}, {}, std::move(response)};
  server_.Count(answer);
  Send(std::move(answer));
}

void Connection::Send(CountedResponse answer) {
  phase_ = Phase::kSending;
  Release();
  sending_ = std::move(answer);
  sendBy_ = std::chrono::steady_clock::now() + server_.limits.sendTime +
            std::chrono::seconds(sending_.response.BodySize() /
                                 std::max<uint64_t>(1, server_.limits.leastSendRate));
  head_ = ResponseHead(sending_.response, server_.site.CommonHeaders(), {keepAlive_, version10_});
  if (sending_.response.file.valid() && !headOnly_) {
    fileSent_ = 0;
    headSent_ = false;
    SendFilePiece();
    return;
  }
  const std::array<asio::const_buffer, 2> pieces = {
      asio::buffer(head_) + headStartSent_,
      headOnly_ ? asio::const_buffer() : asio::buffer(sending_.response.body)};
  ArmSendDeadline();
  asio::async_write(
      socket_, pieces,
      [self = shared_from_this()](const ErrorCode& ec, size_t /*bytes*/) { self->OnSent(ec); });
}

void Connection::SendFilePiece() {
  const uint64_t left = sending_.response.fileSize - fileSent_;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(left, kFileChunkBytes));
  piece_.resize(want);
  if (want > 0) {
    const ssize_t got =
        pread(sending_.response.file.get(), piece_.data(), want, static_cast<off_t>(fileSent_));
    if (got <= 0) {
      Abort();  // the file is shorter than the length sent: break the transfer
      return;
    }
    piece_.resize(static_cast<size_t>(got));
    fileSent_ += static_cast<uint64_t>(got);
  }
  const std::array<asio::const_buffer, 2> pieces = {
      headSent_ ? asio::const_buffer() : asio::buffer(head_) + headStartSent_,
      asio::buffer(piece_)};
  headSent_ = true;
  ArmSendDeadline();
  asio::async_write(
      socket_, pieces, [self = shared_from_this()](const ErrorCode& ec, size_t /*bytes*/) {
        if (!ec && !self->closed_ && self->fileSent_ < self->sending_.response.fileSize) {
          self->SendFilePiece();
        } else {
          self->OnSent(ec);
        }
      });
}

void Connection::OnSent(const ErrorCode& ec) {
  ++deadlineCount_;
  deadline_.cancel();
  if (closed_) {
    return;
  }
  if (ec) {
    Close();
    return;
  }
  Release();
  piece_ = std::vector<char>();
  if (keepAlive_ && !server_.stopping.load()) {
    ReadRequest();
  } else {
    Linger();
  }
}

void Connection::Linger() {
  phase_ = Phase::kLingering;
  ErrorCode ignored;
  socket_.shutdown(tcp::socket::shutdown_send, ignored);
  buffer_.clear();
  ArmDeadline(kLingerTime);
  Discard();
}

void Connection::Discard() {
  socket_.async_read_some(buffer_.prepare(kWatchBytes),
                          [self = shared_from_this()](const ErrorCode& ec, size_t /*bytes*/) {
                            if (self->closed_) {
                              return;
                            }
                            if (ec) {
                              self->Close();
                            } else {
                              self->Discard();
                            }
                          });
}

void Connection::Release() {
  // The answer is freed before its charges are given back.
  sending_.response = HttpResponse();
  sending_.memory.Reset();
  sending_.scratch.Reset();
}

// Each piece within `sendTime`, the whole answer by `sendBy_`.
void Connection::ArmSendDeadline() {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      sendBy_ - std::chrono::steady_clock::now());
  ArmDeadline(std::clamp(left, std::chrono::milliseconds(0), server_.limits.sendTime));
}

void Connection::Abort() {
  ErrorCode ignored;
  socket_.set_option(asio::socket_base::linger(true, 0), ignored);
  Close();
}

void Connection::Close() {
  if (closed_) {
    return;
  }
  closed_ = true;
  ++deadlineCount_;
  deadline_.cancel();
  designWait_.cancel();
  goneCheck_.cancel();
  if (ticket_) {
    ticket_->Withdraw();
    ticket_->Cancel();
    ticket_.reset();
  }
  designAnswer_.reset();
  Release();
  ErrorCode ignored;
  socket_.close(ignored);
  server_.TrimSoon();
  server_.connections.erase(this);
}

}  // namespace kalvorden
