// The HTTP layer alone, under a site that echoes what it was given, through
// a real socket on the loopback interface.

#include "web/http_server.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/web/http_test_client.h"

using namespace kalvorden;
using kalvorden::testing::HttpReply;
using kalvorden::testing::HttpTestConnection;

namespace {

// Answers every request with its method, Content-Type and body; reads the
// body of POST /echo only.
class EchoSite final : public HttpSite {
 public:
  HttpAnswer Answer(const HttpRequest& request) override {
    HttpAnswer answer;
    answer.response.body = request.method + "|" + request.contentType + "|" + request.body;
    return answer;
  }
  bool ReadsBody(const HttpRequest& head) const override {
    return head.method == "POST" && head.path == "/echo";
  }
  HttpResponse Refusal(int status) const override {
    HttpResponse response;
    response.status = status;
    return response;
  }
  const std::vector<std::pair<std::string, std::string>>& CommonHeaders() const override {
    return headers_;
  }

 private:
  std::vector<std::pair<std::string, std::string>> headers_;
};

class ServedSite {
 public:
  explicit ServedSite(HttpSite& site, const HttpLimits& limits = {}) : server_(site, limits) {
    std::string error;
    EXPECT_TRUE(server_.Listen("127.0.0.1", 0, error)) << error;
    runner_ = std::thread([this] { server_.Run(); });
  }
  ~ServedSite() {
    server_.Stop();
    runner_.join();
  }
  ServedSite(const ServedSite&) = delete;
  ServedSite& operator=(const ServedSite&) = delete;

  int port() const { return server_.port(); }

 private:
  HttpServer server_;
  std::thread runner_;
};

// Every request is a design whose answer is a body of `bodyBytes`; the
// designs wait until the test opens the gate.
class GatedSite final : public HttpSite {
 public:
  explicit GatedSite(size_t bodyBytes) : bodyBytes_(bodyBytes) {}
  HttpAnswer Answer(const HttpRequest& /*request*/) override {
    HttpAnswer answer;
    answer.design = [this](const KeepGoing& /*keepGoing*/) {
      std::unique_lock lock(mutex_);
      ++started_;
      changed_.notify_all();
      changed_.wait_for(lock, std::chrono::minutes(1), [this] { return open_; });
      HttpResponse response;
      response.body.assign(bodyBytes_, 'p');
      return response;
    };
    return answer;
  }
  HttpResponse Refusal(int status) const override {
    HttpResponse response;
    response.status = status;
    return response;
  }
  const std::vector<std::pair<std::string, std::string>>& CommonHeaders() const override {
    return headers_;
  }
  void WaitForStarted(int count) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::minutes(1), [&] { return started_ >= count; });
  }
  void Open() {
    const std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  const size_t bodyBytes_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int started_ = 0;
  bool open_ = false;
  std::vector<std::pair<std::string, std::string>> headers_;
};

}  // namespace

// A design admitted while the budget had room, and still queued when the
// page before it filled the budget, is refused when it would start, not
// built (a burst of absent readers is admitted before any page exists);
// the budget comes back once that page is sent.
TEST(HttpServer, PagesInTheMakingCountInTheMemoryBudget) {
  constexpr size_t kMegabyte = size_t{1} << 20;
  HttpLimits limits;
  limits.concurrentDesigns = 1;
  limits.designMemory = kMegabyte;
  limits.mostHeldMemory = 2 * kMegabyte;
  // Three times the budget: more than the kernel takes from a client that
  // does not read, so the page stays held until it is read.
  GatedSite site(3 * limits.mostHeldMemory);
  const ServedSite served(site, limits);
  const std::string request = "GET /page HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  HttpTestConnection first(served.port());
  first.Send(request);
  site.WaitForStarted(1);
  // Admitted: the reservation of the page being built leaves room for one.
  HttpTestConnection second(served.port());
  second.Send(request);
  site.Open();
  const HttpReply refused = second.Read(std::chrono::seconds(30));
  EXPECT_EQ(refused.status, 503);
  const HttpReply page = first.Read(std::chrono::seconds(30));
  ASSERT_TRUE(page.complete);
  EXPECT_EQ(page.body.size(), 3 * limits.mostHeldMemory);
  first.Send(request);
  EXPECT_EQ(first.Read(std::chrono::seconds(30)).status, 200);
}

// A body reaches the site where it reads one, with its type, whatever the
// framing; without a length, or beyond the request limit, it is refused;
// elsewhere it is read and dropped, and the connection goes on after it.
TEST(HttpServer, RequestBodies) {
  EchoSite site;
  const ServedSite served(site);
  const std::string head = "Host: 127.0.0.1\r\n";
  const std::string big(60000, 'b');
  // The request, the status and the body of the answer.
  // clang-format off
  const std::tuple<std::string, int, std::string> cases[] = {
      {"POST /echo HTTP/1.1\r\n" + head + "Content-Type: application/toml\r\n"
       "Content-Length: 7\r\n\r\na = \"1\"", 200, "POST|application/toml|a = \"1\""},
      {"POST /echo HTTP/1.1\r\n" + head + "Transfer-Encoding: chunked\r\n\r\n"
       "3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n", 200, "POST||abcde"},
      {"POST /echo HTTP/1.1\r\n" + head + "Content-Length: 60000\r\n\r\n" + big, 200,
       "POST||" + big},
      {"POST /echo HTTP/1.1\r\n" + head + "\r\n", 411, ""},
      {"POST /echo HTTP/1.1\r\n" + head + "Content-Length: 65500\r\n\r\n", 413, ""},
      {"POST /other HTTP/1.1\r\n" + head + "Content-Length: 5\r\n\r\nhello", 200, "POST||"},
      {"POST /other HTTP/1.1\r\n" + head + "\r\n", 200, "POST||"},
  };
  // clang-format on
  for (const auto& [request, status, body] : cases) {
    HttpTestConnection connection(served.port());
    // The same request again on the connection: what the first body left
    // in the stream must not be taken for a request.
    connection.Send(request + (status == 200 ? request : ""));
    for (int answer = 0; answer < (status == 200 ? 2 : 1); ++answer) {
      const HttpReply reply = connection.Read(std::chrono::seconds(30));
      ASSERT_TRUE(reply.complete) << request.substr(0, 30);
      EXPECT_EQ(reply.status, status) << request.substr(0, 30);
      EXPECT_EQ(reply.body, body) << request.substr(0, 30);
    }
  }
}
