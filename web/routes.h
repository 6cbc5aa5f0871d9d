#pragma once

// Routing: which handler answers a request, after the checks every request
// passes first, in this order: its Host names this server (421), it was
// not sent on behalf of another site (403), its path is a page (404), its
// method is GET or HEAD, or POST where the route takes it (405, with Allow).

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "web/http_message.h"
#include "web/http_server.h"
#include "web/request_policy.h"

namespace kalvorden {

struct Route {
  std::string path;  // matched exactly: "/design"
  std::function<HttpAnswer(const HttpRequest& request)> handler;
  // Whether the handler is also given POST requests, with their body.
  bool takesPost = false;
};

class Router final : public HttpSite {
 public:
  explicit Router(std::vector<Route> routes) : routes_(std::move(routes)) {}

  // The address and port the Host and Origin of a request must name; set
  // once the server listens, before it serves.
  void SetIdentity(ServerIdentity identity) { identity_ = std::move(identity); }

  HttpAnswer Answer(const HttpRequest& request) override;
  bool ReadsBody(const HttpRequest& head) const override;
  HttpResponse Refusal(int status) const override;
  const std::vector<std::pair<std::string, std::string>>& CommonHeaders() const override;

 private:
  std::vector<Route> routes_;
  ServerIdentity identity_;
};

// A page's answer: `html` with its status and content type.
HttpResponse HtmlResponse(int status, std::string html);
// A short page's answer: MessagePage(title, message) with its status.
HttpResponse MessageResponse(int status, std::string_view title, std::string_view message);

}  // namespace kalvorden
