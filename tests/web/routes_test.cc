#include "web/routes.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace kalvorden;

namespace {

HttpAnswer Page(std::string text) {
  HttpAnswer answer;
  answer.response.body = std::move(text);
  return answer;
}

}  // namespace

// The checks every request passes, in order, before its route's handler:
// Host (421), the site it comes from (403), the path (404), the method
// (405, with Allow).
TEST(Routes, ChecksBeforeTheHandler) {
  Router router(
      {{"/", [](const HttpRequest&) { return Page("form"); }},
       {"/design", [](const HttpRequest& r) { return Page("design " + r.query); }},
       {"/project", [](const HttpRequest& r) { return Page(r.method + " " + r.body); }, true}});
  router.SetIdentity({"127.0.0.1", 8080});
  // Method, path, Host, Sec-Fetch-Site; the status and the body's start.
  // clang-format off
  const std::tuple<std::string, std::string, std::string, std::string, int, std::string> cases[] = {
      {"GET", "/", "127.0.0.1:8080", "", 200, "form"},
      {"HEAD", "/", "localhost:8080", "", 200, "form"},
      {"GET", "/design", "127.0.0.1:8080", "same-origin", 200, "design a=1"},
      {"GET", "/design", "evil.example:8080", "", 421, "<!DOCTYPE"},
      {"GET", "/design", "127.0.0.1:8080", "cross-site", 403, "<!DOCTYPE"},
      {"BREW", "/nothing", "127.0.0.1:8080", "", 404, "<!DOCTYPE"},
      {"POST", "/", "127.0.0.1:8080", "", 405, "<!DOCTYPE"},
      {"get", "/", "127.0.0.1:8080", "", 405, "<!DOCTYPE"},
      {"BREW", "/design", "127.0.0.1:8080", "", 405, "<!DOCTYPE"},
      {"BREW", "/design", "evil.example:8080", "", 421, "<!DOCTYPE"},
      {"POST", "/project", "127.0.0.1:8080", "", 200, "POST a = 1"},
      {"POST", "/project", "127.0.0.1:8080", "cross-site", 403, "<!DOCTYPE"},
      {"PUT", "/project", "127.0.0.1:8080", "", 405, "<!DOCTYPE"},
  };
  // clang-format on
  for (const auto& [method, path, host, site, status, body] : cases) {
    HttpRequest request;
    request.method = method;
    request.path = path;
    request.query = "a=1";
    request.host = host;
    request.fetchSite = site;
    request.body = "a = 1";
    EXPECT_EQ(router.ReadsBody(request), method == "POST" && path == "/project") << method << path;
    const HttpAnswer answer = router.Answer(request);
    EXPECT_EQ(answer.response.status, status) << method << " " << path;
    EXPECT_EQ(answer.response.body.rfind(body, 0), 0U) << method << " " << path;
    const std::string allow = path == "/project" ? "GET, HEAD, POST" : "GET, HEAD";
    EXPECT_EQ(answer.response.Header("Allow"), status == 405 ? allow : "") << method;
  }
}
