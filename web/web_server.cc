#include "web/web_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <semaphore>
#include <thread>

#include "fault/fault.h"
#include "run/design_run.h"
#include "web/downloads.h"
#include "web/explain_page.h"
#include "web/html_page.h"
#include "web/page_assets.h"
#include "web/result_page.h"

namespace kalvorden {
namespace {

// Connections are served by a fixed pool of threads; designs, the costly
// part, by fewer still (WebServerOptions::concurrentDesigns).
constexpr size_t kServerThreads = 8;
constexpr time_t kReadTimeoutSeconds = 5;
constexpr time_t kKeepAliveSeconds = 2;
constexpr size_t kKeepAliveRequests = 20;
constexpr int kRetryAfterSeconds = 5;

constexpr std::string_view kContentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self'; "
    "form-action 'self'; base-uri 'none'; frame-ancestors 'none'";

constexpr std::string_view kHtml = "text/html; charset=utf-8";

bool IsLoopbackAddress(const std::string& address) {
  in_addr v4{};
  in6_addr v6{};
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  if (inet_pton(AF_INET6, address.c_str(), &v6) == 1) {
    return IN6_IS_ADDR_LOOPBACK(&v6);
  }
  return address == "localhost";
}

bool IsWildcardAddress(const std::string& address) {
  return address == "0.0.0.0" || address == "::" || address.empty();
}

bool IsAddressLiteral(const std::string& host) {
  in_addr v4{};
  in6_addr v6{};
  return inet_pton(AF_INET, host.c_str(), &v4) == 1 || inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

// The raw query of a request target ("/design?a=1" gives "a=1").
std::string_view RawQuery(const httplib::Request& request) {
  const std::string_view target = request.target;
  const size_t mark = target.find('?');
  return mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
}

void SetPage(httplib::Response& response, int status, const std::string& html) {
  response.status = status;
  response.set_content(html, std::string(kHtml));
}

// Keeps a design going until `limit` from now.
KeepGoing InTime(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  return [deadline] { return std::chrono::steady_clock::now() < deadline; };
}

// A private directory for one download, removed with what it holds.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kalvorden-serve-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ~ScratchDirectory() {
    if (!file_.empty()) {
      unlink(file_.c_str());
    }
    if (!path_.empty()) {
      rmdir(path_.c_str());
    }
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  bool ok() const { return !path_.empty(); }
  std::string File(std::string_view name) {
    file_ = path_ + "/" + std::string(name);
    return file_;
  }

 private:
  std::string path_;
  std::string file_;
};

// One of the server's design slots, held from a successful wait to the end
// of the holder's scope. Given back by the destructor, so a design that ends
// in an exception (memory exhausted, a failing clock) cannot keep its slot:
// after `concurrentDesigns` such ends every later design would be busy.
class DesignSlot {
 public:
  DesignSlot(std::counting_semaphore<>& slots, std::chrono::milliseconds wait)
      : slots_(slots), held_(slots.try_acquire_for(wait)) {}
  ~DesignSlot() {
    if (held_) {
      slots_.release();
    }
  }
  DesignSlot(const DesignSlot&) = delete;
  DesignSlot& operator=(const DesignSlot&) = delete;
  // False when none came free in time.
  bool held() const { return held_; }

 private:
  std::counting_semaphore<>& slots_;
  bool held_;
};

}  // namespace

struct WebServer::State {
  WebServerOptions options;
  httplib::Server server;
  int port = 0;
  std::counting_semaphore<> designSlots{0};

  // Waits for a design slot; check held() before designing.
  DesignSlot WaitForDesignSlot() { return {designSlots, options.designWait}; }

  LocalDateTime Clock(const DesignQuery& query) const {
    if (query.hasClock) {
      return query.clock;
    }
    return options.readClock ? options.readClock() : ReadLocalClock();
  }

  bool AcceptsHost(const httplib::Request& request) const;
  bool CheckRequest(const httplib::Request& request, httplib::Response& response) const;
  void ServeForm(const httplib::Request& request, httplib::Response& response) const;
  void ServeDesign(const httplib::Request& request, httplib::Response& response);
  void ServeExplain(const httplib::Request& request, httplib::Response& response);
  void ServeDownload(const OutputKindInfo& download, const httplib::Request& request,
                     httplib::Response& response);
  void Busy(httplib::Response& response) const {
    SetPage(response, 503,
            MessagePage("Busy", "The server is designing for other requests. Try again shortly."));
    response.set_header("Retry-After", std::to_string(kRetryAfterSeconds));
  }
};

// A page fetched under any other name than the server's own address (DNS
// rebinding: a web site that points its name at 127.0.0.1) is refused.
bool WebServer::State::AcceptsHost(const httplib::Request& request) const {
  if (!request.has_header("Host")) {
    return false;
  }
  const std::string host = request.get_header_value("Host");
  std::string name;
  std::string portText = "80";
  if (!host.empty() && host[0] == '[') {
    const size_t close = host.find(']');
    if (close == std::string::npos) {
      return false;
    }
    name = host.substr(1, close - 1);
    if (close + 1 < host.size()) {
      if (host[close + 1] != ':') {
        return false;
      }
      portText = host.substr(close + 2);
    }
  } else {
    const size_t colon = host.rfind(':');
    name = host.substr(0, colon);
    if (colon != std::string::npos) {
      portText = host.substr(colon + 1);
    }
  }
  if (portText != std::to_string(port)) {
    return false;
  }
  const std::string& address = options.address;
  if (name == address) {
    return true;
  }
  if (IsLoopbackAddress(address) || IsWildcardAddress(address)) {
    if (name == "localhost" || (IsAddressLiteral(name) && IsLoopbackAddress(name))) {
      return true;
    }
  }
  return IsWildcardAddress(address) && IsAddressLiteral(name);
}

// Checks every request before it is routed: its size, its Host and its
// method. True when the request was answered here.
bool WebServer::State::CheckRequest(const httplib::Request& request,
                                    httplib::Response& response) const {
  size_t size = request.method.size() + request.target.size() + request.version.size() + 4;
  for (const auto& [name, value] : request.headers) {
    size += name.size() + value.size() + 4;
  }
  const std::string length = request.get_header_value("Content-Length");
  const bool tooLong =
      length.size() > 9 ||
      (!length.empty() && std::strtoul(length.c_str(), nullptr, 10) > kMostRequestBytes);
  if (tooLong || size > kMostRequestBytes) {
    SetPage(response, 413, MessagePage("Request too large", "Requests are limited to 64 KB."));
    response.set_header("Connection", "close");
    return true;
  }
  if (!AcceptsHost(request)) {
    SetPage(response, 421,
            MessagePage("Wrong address", "This server answers only under its own address."));
    return true;
  }
  if (request.method != "GET" && request.method != "HEAD") {
    const bool known = request.path == "/" || request.path == "/design" ||
                       request.path == "/explain" || request.path.rfind("/download/", 0) == 0 ||
                       request.path.rfind("/static/", 0) == 0;
    if (known) {
      SetPage(response, 405, MessagePage("Method not allowed", "This page answers GET only."));
      response.set_header("Allow", "GET, HEAD");
    } else {
      SetPage(response, 404, MessagePage("Not found", "There is no such page."));
    }
    response.set_header("Connection", "close");
    return true;
  }
  return false;
}

void WebServer::State::ServeForm(const httplib::Request& request,
                                 httplib::Response& response) const {
  const std::string_view query = RawQuery(request);
  if (query.empty()) {
    SetPage(response, 200, FormPage(nullptr, {}));
    return;
  }
  // A "change the values" link: the form filled in again, with its messages.
  const QueryParse parse = ParseDesignQuery(query, QueryPurpose::kDesign);
  SetPage(response, 200, FormPage(&parse.query, parse.errors));
}

void WebServer::State::ServeDesign(const httplib::Request& request, httplib::Response& response) {
  QueryParse parse = ParseDesignQuery(RawQuery(request), QueryPurpose::kDesign);
  if (!parse.ok()) {
    SetPage(response, 400, FormPage(&parse.query, parse.errors));
    return;
  }
  std::optional<ResultPage> page;
  DesignRunResult run;
  {
    const DesignSlot slot = WaitForDesignSlot();
    if (!slot.held()) {
      Busy(response);
      return;
    }
    parse.query.clock = Clock(parse.query);
    parse.query.hasClock = true;
    page.emplace(parse.query);
    CaseOutput* const outputs[] = {&*page};
    run = DesignIntoOutputs(QueryInputs(parse.query), outputs, DesignOptions{},
                            InTime(options.designTimeLimit));
  }
  if (!run.complete()) {
    SetPage(response, 503,
            MessagePage("Too long",
                        "This design took too long and was stopped. Fewer values "
                        "give fewer cases."));
    return;
  }
  SetPage(response, 200, page->html());
}

void WebServer::State::ServeExplain(const httplib::Request& request, httplib::Response& response) {
  const QueryParse parse = ParseDesignQuery(RawQuery(request), QueryPurpose::kExplain);
  if (!parse.ok()) {
    SetPage(response, 400, PageFrame("Calculation sheet", ErrorList(parse.errors)));
    return;
  }
  const DesignSlot slot = WaitForDesignSlot();
  if (!slot.held()) {
    Busy(response);
    return;
  }
  SetPage(response, 200, ExplainPage(parse.query));
}

void WebServer::State::ServeDownload(const OutputKindInfo& download,
                                     const httplib::Request& request, httplib::Response& response) {
  QueryParse parse = ParseDesignQuery(RawQuery(request), QueryPurpose::kDesign);
  if (!parse.ok()) {
    SetPage(response, 400, PageFrame("Download", ErrorList(parse.errors)));
    return;
  }
  ScratchDirectory scratch;
  if (!scratch.ok()) {
    SetPage(response, 500, MessagePage("Download failed", "No temporary directory."));
    return;
  }
  const std::string path = scratch.File(download.fileName);
  DesignRunResult run;
  {
    const DesignSlot slot = WaitForDesignSlot();
    if (!slot.held()) {
      Busy(response);
      return;
    }
    run = WriteDownload(download.kind, QueryInputs(parse.query), Clock(parse.query), path,
                        InTime(options.designTimeLimit));
  }
  if (!run.complete()) {
    // The fault names the scratch file, which is no business of the page's.
    SetPage(response, run.stopped ? 503 : 500,
            MessagePage("Download failed", run.stopped ? "This design took too long."
                                                       : "The file could not be written."));
    return;
  }
  // The file is read through its descriptor: its name goes with the
  // scratch directory, so nothing is left on disk whatever the client does.
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  if (descriptor < 0 || fstat(descriptor, &status) != 0) {
    if (descriptor >= 0) {
      close(descriptor);
    }
    SetPage(response, 500, MessagePage("Download failed", "The file could not be read back."));
    return;
  }
  response.set_header("Content-Disposition",
                      "attachment; filename=\"kalvorden-" + std::string(download.fileName) + "\"");
  const auto file = std::make_shared<int>(descriptor);
  response.set_content_provider(
      static_cast<size_t>(status.st_size), std::string(download.contentType),
      [file](size_t offset, size_t length, httplib::DataSink& sink) {
        char buffer[65536];
        const ssize_t got =
            pread(*file, buffer, std::min(length, sizeof buffer), static_cast<off_t>(offset));
        if (got <= 0) {
          return false;
        }
        sink.write(buffer, static_cast<size_t>(got));
        return true;
      },
      [file](bool /*success*/) {
        close(*file);
        *file = -1;
      });
}

WebServer::WebServer(WebServerOptions options) : state_(std::make_unique<State>()) {
  state_->options = std::move(options);
  state_->designSlots.release(std::max(1, state_->options.concurrentDesigns));
  httplib::Server& server = state_->server;
  State* state = state_.get();

  server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
  // The library's default would share the port with any other socket that
  // asks (SO_REUSEPORT): a second server on a port in use would then start,
  // say it is ready, and get some of the first one's connections. Only
  // SO_REUSEADDR is set, so a restart right after a stop can bind again.
  server.set_socket_options([](socket_t socket) {
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  server.set_payload_max_length(kMostRequestBytes);
  server.set_read_timeout(kReadTimeoutSeconds, 0);
  server.set_write_timeout(kReadTimeoutSeconds, 0);
  server.set_keep_alive_timeout(kKeepAliveSeconds);
  server.set_keep_alive_max_count(kKeepAliveRequests);
  server.set_default_headers({
      {"Content-Security-Policy", std::string(kContentSecurityPolicy)},
      {"X-Content-Type-Options", "nosniff"},
      {"Referrer-Policy", "no-referrer"},
      {"X-Frame-Options", "DENY"},
      {"Cache-Control", "no-store"},
  });
  server.set_pre_routing_handler(
      [state](const httplib::Request& request, httplib::Response& response) {
        return state->CheckRequest(request, response) ? httplib::Server::HandlerResponse::Handled
                                                      : httplib::Server::HandlerResponse::Unhandled;
      });
  server.set_error_handler([](const httplib::Request& /*request*/, httplib::Response& response) {
    if (response.body.empty() && !response.content_provider_) {
      const bool notFound = response.status == 404;
      response.set_content(
          MessagePage(notFound ? "Not found" : "Refused",
                      notFound ? "There is no such page." : "The request was refused."),
          std::string(kHtml));
    }
  });
  server.set_exception_handler([](const httplib::Request& /*request*/, httplib::Response& response,
                                  const std::exception_ptr& /*exception*/) {
    SetPage(response, 500, MessagePage("Server error", "The request could not be answered."));
  });

  server.Get("/", [state](const httplib::Request& request, httplib::Response& response) {
    state->ServeForm(request, response);
  });
  server.Get("/design", [state](const httplib::Request& request, httplib::Response& response) {
    state->ServeDesign(request, response);
  });
  server.Get("/explain", [state](const httplib::Request& request, httplib::Response& response) {
    state->ServeExplain(request, response);
  });
  for (const OutputKindInfo& download : OutputKinds()) {
    server.Get(DownloadPath(download),
               [state, &download](const httplib::Request& request, httplib::Response& response) {
                 state->ServeDownload(download, request, response);
               });
  }
  server.Get("/static/form.js", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(kFormScript), "text/javascript; charset=utf-8");
  });
  server.Get("/static/style.css", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(std::string(kStyleSheet), "text/css; charset=utf-8");
  });
}

WebServer::~WebServer() {
  Stop();
}

bool WebServer::Listen(std::string& error) {
  errno = 0;
  if (state_->options.port == 0) {
    state_->port = state_->server.bind_to_any_port(state_->options.address);
  } else if (state_->server.bind_to_port(state_->options.address, state_->options.port)) {
    state_->port = state_->options.port;
  } else {
    state_->port = -1;
  }
  if (state_->port <= 0) {
    error = errno != 0 ? std::strerror(errno)
                       : "the address is in use or is not an address of this machine";
    return false;
  }
  return true;
}

int WebServer::port() const {
  return state_->port;
}

std::string WebServer::Url() const {
  const std::string& address = state_->options.address;
  const bool v6 = address.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(state_->port) +
         "/";
}

void WebServer::Run() {
  state_->server.listen_after_bind();
}

void WebServer::Stop() {
  state_->server.stop();
}

int RunServe(const WebServerOptions& options, FILE* out, FILE* err) {
  // SIGINT and SIGTERM are taken by one thread with sigwait, which then
  // stops the server from an ordinary thread context: nothing runs in a
  // signal handler. They are blocked before any other thread starts, so
  // every thread inherits the mask and none is interrupted by them. The mask
  // is left so until the process ends, so a second signal cannot cut the
  // orderly end short.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  WebServer server(options);
  std::string error;
  if (!server.Listen(error)) {
    std::fprintf(err, "kalvorden: error (%d): cannot listen, on %s port %d: %s\n",
                 kFaultUnavailable, options.address.c_str(), options.port, error.c_str());
    return kFaultUnavailable;
  }
  std::fprintf(out, "%s\n", server.Url().c_str());
  std::fflush(out);

  // The waiter polls for a signal (sigtimedwait) so it can also end on its
  // own when the server ends without one. A signal may come before the
  // server runs, when a stop would be lost: the waiter then repeats the stop
  // until the server has ended.
  std::atomic<bool> ended{false};
  std::thread waiter([&server, &stopSignals, &ended] {
    constexpr long kPollNanoseconds = 100000000;  // 0.1 s
    const timespec poll = {0, kPollNanoseconds};
    while (!ended.load() && sigtimedwait(&stopSignals, nullptr, &poll) < 0) {
    }
    while (!ended.load()) {
      server.Stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  server.Run();
  ended.store(true);
  waiter.join();
  return 0;
}

}  // namespace kalvorden
