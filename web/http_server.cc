#include "web/http_server.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <optional>
#include <unordered_map>

#include "web/design_queue.h"

namespace kalvorden {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;
using ErrorCode = boost::system::error_code;
using BeastText = boost::beast::string_view;

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
// accept fails when the process has no descriptor left: tried again after
// this pause rather than at once, in a loop that would take the thread.
constexpr std::chrono::milliseconds kAcceptRetry{100};

std::string_view ToView(BeastText text) {
  return {text.data(), text.size()};
}

// Reads one request and keeps only what the site uses: the method, the
// target, four fields and, where the site reads it, the body. Every other
// field is counted and dropped, and so is every other body, so what a
// request costs in memory is the connection's buffer and at most one copy
// of its body, whatever it holds.
class RequestParser final : public http::basic_parser<true> {
 public:
  RequestParser(const HttpLimits& limits, const HttpSite& site) : limits_(limits), site_(site) {
    header_limit(static_cast<std::uint32_t>(limits.mostRequestBytes));
    body_limit(limits.mostRequestBytes);
  }

  HttpRequest& request() { return request_; }
  int version() const { return version_; }
  // The status the request is refused with, when a limit of the site's own
  // (not the parser's) ended it; 0 otherwise.
  int refusal() const { return refusal_; }

 private:
  void Refuse(int status, ErrorCode& ec) {
    if (refusal_ == 0) {
      refusal_ = status;
    }
    ec = http::error::bad_value;
  }

  void Count(size_t bytes, ErrorCode& ec) {
    bytes_ += bytes;
    if (bytes_ > limits_.mostRequestBytes) {
      Refuse(413, ec);
    }
  }

  // A field sent twice is kept as both values joined, which no check takes
  // for a value of its own.
  static void Keep(std::string& kept, std::string_view value, bool& seen) {
    if (seen) {
      kept += ", ";
    }
    kept += value;
    seen = true;
  }

  void on_request_impl(http::verb /*method*/, BeastText method, BeastText target, int version,
                       ErrorCode& ec) override {
    if (target.size() > limits_.mostTargetBytes) {
      Refuse(414, ec);
      return;
    }
    version_ = version;
    request_.method = ToView(method);
    const std::string_view text = ToView(target);
    const size_t mark = text.find('?');
    request_.path = text.substr(0, mark);
    if (mark != std::string_view::npos) {
      request_.query = text.substr(mark + 1);
    }
    Count(method.size() + target.size() + sizeof " HTTP/1.1\r\n", ec);
  }

  void on_response_impl(int /*code*/, BeastText /*reason*/, int /*version*/,
                        ErrorCode& /*ec*/) override {}

  void on_field_impl(http::field name, BeastText nameText, BeastText value,
                     ErrorCode& ec) override {
    Count(nameText.size() + value.size() + sizeof ": \r\n", ec);
    if (ec) {
      return;
    }
    if (name == http::field::host) {
      // Two Host fields: which one names the server is anybody's guess.
      if (hasHost_) {
        Refuse(400, ec);
        return;
      }
      Keep(request_.host, ToView(value), hasHost_);
    } else if (name == http::field::origin) {
      Keep(request_.origin, ToView(value), request_.hasOrigin);
    } else if (name == http::field::content_type) {
      Keep(request_.contentType, ToView(value), hasContentType_);
    } else if (EqualIgnoringCase(ToView(nameText), "Sec-Fetch-Site")) {
      Keep(request_.fetchSite, ToView(value), hasFetchSite_);
    }
  }

  void on_header_impl(ErrorCode& ec) override {
    // Refused before its first byte comes, not after the client sent it.
    on_body_init_impl(content_length(), ec);
    if (ec) {
      return;
    }
    keepBody_ = site_.ReadsBody(request_);
    // Without a length a request's body is empty; one the site reads
    // must say how long it is, so that an empty body is never taken for
    // one cut short.
    if (keepBody_ && !chunked() && !content_length()) {
      Refuse(411, ec);
    }
  }

  void on_body_init_impl(const boost::optional<std::uint64_t>& length, ErrorCode& ec) override {
    if (length && *length > limits_.mostRequestBytes - std::min(bytes_, limits_.mostRequestBytes)) {
      Refuse(413, ec);
    }
  }

  size_t on_body_impl(BeastText body, ErrorCode& ec) override {
    Keep(body, ec);
    return body.size();
  }

  void on_chunk_header_impl(std::uint64_t /*size*/, BeastText /*extensions*/,
                            ErrorCode& /*ec*/) override {}

  size_t on_chunk_body_impl(std::uint64_t /*remain*/, BeastText body, ErrorCode& ec) override {
    Keep(body, ec);
    return body.size();
  }

  void Keep(BeastText body, ErrorCode& ec) {
    Count(body.size(), ec);
    if (!ec && keepBody_) {
      request_.body.append(body.data(), body.size());
    }
  }

  void on_finish_impl(ErrorCode& /*ec*/) override {}

  const HttpLimits& limits_;
  const HttpSite& site_;
  HttpRequest request_;
  size_t bytes_ = 0;
  int version_ = 11;
  int refusal_ = 0;
  bool hasHost_ = false;
  bool hasFetchSite_ = false;
  bool hasContentType_ = false;
  bool keepBody_ = false;
};

class Connection;

// What every connection shares. Everything but `stopping` and the design
// queue is touched on the connection thread only.
struct ServerCore {
  ServerCore(HttpSite& site, const HttpLimits& limits)
      : site(site), limits(limits), designs(limits.concurrentDesigns) {}

  void Accept();
  void OnAccept(const ErrorCode& ec, tcp::socket socket);
  void StopHere();

  HttpSite& site;
  const HttpLimits limits;
  asio::io_context io{1};
  tcp::acceptor acceptor{io};
  asio::steady_timer acceptRetry{io};
  std::atomic<bool> stopping{false};
  std::unordered_map<Connection*, std::weak_ptr<Connection>> connections;
  // Declared last, so destroyed first: its workers post to `io`.
  DesignQueue designs;
};

// One client's connection: read a request, answer it (at once, or after a
// design), send the answer, and again while the client keeps it open.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(ServerCore& server, tcp::socket socket)
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
  void OnRequest(const ErrorCode& ec);
  void Refuse(int status);
  void Answer();
  void StartDesign(std::function<HttpResponse(const KeepGoing&)> design);
  void OnDesignWaitOver(const std::shared_ptr<DesignTicket>& ticket);
  void OnDesignDone(HttpResponse response);
  void Watch();
  void OnWatch(const ErrorCode& ec, size_t bytes);
  void WatchWithoutReading();
  void CheckGone();
  bool Gone();
  void Send(HttpResponse response);
  void SendFilePiece();
  void OnSent(const ErrorCode& ec);
  void Linger();
  void Discard();
  void Close();
  void ArmDeadline(std::chrono::milliseconds time);
  void OnDeadline();

  ServerCore& server_;
  tcp::socket socket_;
  boost::beast::flat_buffer buffer_;
  std::optional<RequestParser> parser_;
  Phase phase_ = Phase::kReading;
  asio::steady_timer deadline_;
  // Counts the deadlines armed, so that one which expired just as its
  // phase ended does not act on the next.
  unsigned deadlineCount_ = 0;
  bool deadlinePassed_ = false;
  asio::steady_timer designWait_;
  std::shared_ptr<DesignTicket> ticket_;
  std::optional<HttpResponse> designAnswer_;  // held until the watch has ended
  bool watching_ = false;
  asio::steady_timer goneCheck_;
  // How much of the status line went ahead of the answer (WatchWithoutReading).
  size_t headStartSent_ = 0;
  HttpResponse response_;
  std::string head_;
  std::vector<char> piece_;
  uint64_t fileSent_ = 0;
  bool headSent_ = false;
  bool headOnly_ = false;
  bool keepAlive_ = false;
  bool version10_ = false;
  bool closed_ = false;
};

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
  if (answer.design) {
    StartDesign(std::move(answer.design));
  } else {
    Send(std::move(answer.response));
  }
}

void Connection::StartDesign(std::function<HttpResponse(const KeepGoing&)> design) {
  phase_ = Phase::kDesigning;
  ServerCore& server = server_;
  ticket_ = std::make_shared<DesignTicket>(
      [self = shared_from_this(), design = std::move(design), &server](const DesignTicket& ticket) {
        HttpResponse response;
        try {
          response =
              design([&ticket, &server] { return ticket.keepGoing() && !server.stopping.load(); });
        } catch (const std::exception& /*failure*/) {
          response = server.site.Refusal(500);
        }
        asio::post(server.io, [self, response = std::move(response)]() mutable {
          self->OnDesignDone(std::move(response));
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
  OnDesignDone(server_.site.Refusal(503));
}

void Connection::OnDesignDone(HttpResponse response) {
  if (closed_) {
    return;
  }
  designWait_.cancel();
  goneCheck_.cancel();
  ticket_.reset();
  if (watching_) {
    // The answer is sent when the watch has ended; its read may have
    // brought the next request, which must stay in the buffer.
    designAnswer_ = std::move(response);
    ErrorCode ignored;
    socket_.cancel(ignored);
    return;
  }
  Send(std::move(response));
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
    HttpResponse response = std::move(*designAnswer_);
    designAnswer_.reset();
    Send(std::move(response));
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
  phase_ = Phase::kSending;
  response_ = std::move(response);
  for (const auto& [name, value] : server_.site.CommonHeaders()) {
    if (response_.Header(name).empty()) {
      response_.headers.emplace_back(name, value);
    }
  }
  head_ = "HTTP/1.1 " + std::to_string(response_.status) + " " +
          std::string(ReasonPhrase(response_.status)) + "\r\n";
  for (const auto& [name, value] : response_.headers) {
    head_.append(name).append(": ").append(value).append("\r\n");
  }
  head_ += "Content-Length: " + std::to_string(response_.BodySize()) + "\r\n";
  if (!keepAlive_) {
    head_ += "Connection: close\r\n";
  } else if (version10_) {
    head_ += "Connection: keep-alive\r\n";
  }
  head_ += "\r\n";
  if (response_.file.valid() && !headOnly_) {
    fileSent_ = 0;
    headSent_ = false;
    SendFilePiece();
    return;
  }
  const std::array<asio::const_buffer, 2> pieces = {
      asio::buffer(head_) + headStartSent_,
      headOnly_ ? asio::const_buffer() : asio::buffer(response_.body)};
  ArmDeadline(server_.limits.sendTime);
  asio::async_write(
      socket_, pieces,
      [self = shared_from_this()](const ErrorCode& ec, size_t /*bytes*/) { self->OnSent(ec); });
}

void Connection::SendFilePiece() {
  const uint64_t left = response_.fileSize - fileSent_;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(left, kFileChunkBytes));
  piece_.resize(want);
  if (want > 0) {
    const ssize_t got =
        pread(response_.file.get(), piece_.data(), want, static_cast<off_t>(fileSent_));
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
  ArmDeadline(server_.limits.sendTime);
  asio::async_write(socket_, pieces,
                    [self = shared_from_this()](const ErrorCode& ec, size_t /*bytes*/) {
                      if (!ec && !self->closed_ && self->fileSent_ < self->response_.fileSize) {
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
  response_ = HttpResponse();
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
  response_ = HttpResponse();
  ErrorCode ignored;
  socket_.close(ignored);
  server_.connections.erase(this);
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
    auto connection = std::make_shared<Connection>(*this, std::move(socket));
    connections.emplace(connection.get(), connection);
    connection->Start();
  }
  Accept();
}

void ServerCore::StopHere() {
  stopping.store(true);
  ErrorCode ignored;
  acceptor.close(ignored);
  acceptRetry.cancel();
  std::vector<std::shared_ptr<Connection>> open;
  for (const auto& [raw, weak] : connections) {
    if (auto connection = weak.lock()) {
      open.push_back(std::move(connection));
    }
  }
  for (const auto& connection : open) {
    connection->Abort();
  }
}

}  // namespace

struct HttpServer::Impl {
  Impl(HttpSite& site, const HttpLimits& limits) : core(site, limits) {}
  ServerCore core;
};

HttpServer::HttpServer(HttpSite& site, const HttpLimits& limits)
    : impl_(std::make_unique<Impl>(site, limits)) {}

HttpServer::~HttpServer() = default;

bool HttpServer::Listen(const std::string& address, int port, std::string& error) {
  ServerCore& core = impl_->core;
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
  const tcp::endpoint endpoint = impl_->core.acceptor.local_endpoint(ec);
  return ec ? -1 : endpoint.port();
}

bool HttpServer::Run() {
  ServerCore& core = impl_->core;
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
  ServerCore& core = impl_->core;
  core.stopping.store(true);
  asio::post(core.io, [&core] { core.StopHere(); });
}

}  // namespace kalvorden
