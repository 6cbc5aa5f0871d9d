// Fuzzes the server's request parser: any byte string, fed in pieces whose
// size the first byte chooses (a client sends a request in any pieces it
// likes). The parser must never overrun or crash, must keep no more than the
// request limit of a body, and must refuse only with a status the server
// sends for a request (400, 411, 413, 414).

#include <boost/asio/buffer.hpp>
#include <cstdint>
#include <string_view>

#include "web/request_parser.h"

namespace {

// Reads the body of a POST to /project, as the page does; answers nothing
// (the parser is all that runs).
class BodySite final : public kalvorden::HttpSite {
 public:
  kalvorden::HttpAnswer Answer(const kalvorden::HttpRequest& /*request*/) override { return {}; }
  bool ReadsBody(const kalvorden::HttpRequest& head) const override {
    return head.method == "POST" && head.path == "/project";
  }
  kalvorden::HttpResponse Refusal(int status) const override {
    kalvorden::HttpResponse response;
    response.status = status;
    return response;
  }
  const std::vector<std::pair<std::string, std::string>>& CommonHeaders() const override {
    return headers_;
  }

 private:
  std::vector<std::pair<std::string, std::string>> headers_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) {
    return 0;
  }
  const size_t piece = 1 + data[0] % 64;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  kalvorden::HttpLimits limits;
  limits.mostRequestBytes = 4096;  // small, so the fuzzer reaches the limit
  limits.mostTargetBytes = 512;
  BodySite site;
  kalvorden::RequestParser parser(limits, site);
  parser.eager(true);
  std::string pending;
  boost::system::error_code error;
  for (size_t at = 0; at < bytes.size() && !error && !parser.is_done(); at += piece) {
    pending.append(bytes.substr(at, piece));
    const size_t used = parser.put(boost::asio::buffer(pending), error);
    if (error == boost::beast::http::error::need_more) {
      error = {};
    }
    pending.erase(0, used);
  }
  const int refusal = parser.refusal();
  if (refusal != 0 && refusal != 400 && refusal != 411 && refusal != 413 && refusal != 414) {
    __builtin_trap();
  }
  if (parser.request().body.size() > limits.mostRequestBytes) {
    __builtin_trap();
  }
  return 0;
}
