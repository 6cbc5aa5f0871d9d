#include "web/routes.h"

#include <algorithm>
#include <iterator>

#include "web/html_page.h"

namespace kalvorden {
namespace {

// The page's script is its own file (script-src 'self'); the style sheet
// and the charts need inline style.
constexpr std::string_view kContentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self'; "
    "form-action 'self'; base-uri 'none'; frame-ancestors 'none'";

constexpr int kRetryAfterSeconds = 5;

HttpAnswer Refused(const Router& router, int status) {
  return {router.Refusal(status), nullptr};
}

}  // namespace

HttpResponse HtmlResponse(int status, std::string html) {
  HttpResponse response;
  response.status = status;
  response.SetHeader("Content-Type", "text/html; charset=utf-8");
  response.body = std::move(html);
  return response;
}

HttpResponse MessageResponse(int status, std::string_view title, std::string_view message) {
  return HtmlResponse(status, MessagePage(title, message));
}

HttpAnswer Router::Answer(const HttpRequest& request) {
  if (!AcceptsHost(request.host, identity_)) {
    return Refused(*this, 421);
  }
  if (IsCrossSite(request, identity_)) {
    return Refused(*this, 403);
  }
  for (const Route& route : routes_) {
    if (route.path != request.path) {
      continue;
    }
    if (route.takesPost && request.method == "POST") {
      return route.handler(request);
    }
    if (request.method != "GET" && request.method != "HEAD") {
      HttpAnswer refused = Refused(*this, 405);
      if (route.takesPost) {
        refused.response.SetHeader("Allow", "GET, HEAD, POST");
      }
      return refused;
    }
    return route.handler(request);
  }
  return Refused(*this, 404);
}

bool Router::ReadsBody(const HttpRequest& head) const {
  return head.method == "POST" &&
         std::any_of(routes_.begin(), routes_.end(), [&head](const Route& route) {
           return route.takesPost && route.path == head.path;
         });
}

HttpResponse Router::Refusal(int status) const {
  struct RefusalText {
    int status;
    std::string_view title;
    std::string_view message;
  };
  static constexpr RefusalText kTexts[] = {
      {400, "Bad request", "The request could not be read."},
      {403, "Refused",
       "Requests sent by another web site are refused. To open this address, type or paste it "
       "into the address bar."},
      {404, "Not found", "There is no such page."},
      {405, "Method not allowed", "This page answers GET only."},
      {408, "Too slow", "The request did not arrive in time."},
      {411, "Length required", "A request with a body must give its length."},
      {413, "Request too large", "Requests are limited to 64 KB."},
      {414, "Address too long", "Addresses are limited to 8 KB."},
      {421, "Wrong address", "This server answers only under its own address."},
      {503, "Busy", "The server is designing for other requests. Try again shortly."},
  };
  const auto* text = std::find_if(std::begin(kTexts), std::end(kTexts),
                                  [status](const RefusalText& t) { return t.status == status; });
  if (text == std::end(kTexts)) {
    return MessageResponse(500, "Server error", "The request could not be answered.");
  }
  HttpResponse response = MessageResponse(status, text->title, text->message);
  if (status == 405) {
    response.SetHeader("Allow", "GET, HEAD");
  } else if (status == 503) {
    response.SetHeader("Retry-After", std::to_string(kRetryAfterSeconds));
  }
  return response;
}

const std::vector<std::pair<std::string, std::string>>& Router::CommonHeaders() const {
  static const std::vector<std::pair<std::string, std::string>> headers = {
      {"Content-Security-Policy", std::string(kContentSecurityPolicy)},
      {"X-Content-Type-Options", "nosniff"},
      {"Referrer-Policy", "no-referrer"},
      {"X-Frame-Options", "DENY"},
      {"Cache-Control", "no-store"},
  };
  return headers;
}

}  // namespace kalvorden
