#include "web/request_policy.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

using namespace kalvorden;

TEST(RequestPolicy, HostNamesThisServer) {
  // The address listened on, the Host field, and whether it is accepted.
  // clang-format off
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"127.0.0.1", "127.0.0.1:8080", true},
      {"127.0.0.1", "LOCALHOST:8080", true},
      {"127.0.0.1", "LocalHost:8080", true},
      {"127.0.0.1", "[::1]:8080", true},
      {"127.0.0.1", "127.0.0.2:8080", true},
      {"127.0.0.1", "127.0.0.1:8081", false},
      {"127.0.0.1", "127.0.0.1", false},
      {"127.0.0.1", "attacker.example:8080", false},
      {"127.0.0.1", "localhost.attacker.example:8080", false},
      {"127.0.0.1", "10.0.0.1:8080", false},
      {"127.0.0.1", "", false},
      {"127.0.0.1", "[::1:8080", false},
      {"0.0.0.0", "192.168.1.20:8080", true},
      {"0.0.0.0", "workstation:8080", false},
      {"192.168.1.20", "192.168.1.20:8080", true},
      {"192.168.1.20", "localhost:8080", false},
      {"Workstation", "workstation:8080", true},
  };
  // clang-format on
  for (const auto& [address, host, accepted] : cases) {
    EXPECT_EQ(AcceptsHost(host, {address, 8080}), accepted) << address << " " << host;
  }
}

TEST(RequestPolicy, RequestsOnBehalfOfAnotherSite) {
  // Origin (absent when empty), Sec-Fetch-Site, and whether it is refused.
  // clang-format off
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"", "", false},
      {"", "none", false},
      {"", "same-origin", false},
      {"", "Same-Origin", false},
      {"", "same-site", true},
      {"", "cross-site", true},
      {"", "same-origin, cross-site", true},
      {"http://127.0.0.1:8080", "same-origin", false},
      {"http://LOCALHOST:8080", "", false},
      {"http://evil.example", "", true},
      {"http://evil.example", "same-origin", true},
      {"null", "", true},
      {"null", "same-origin", false},
      {"null", "none", true},
      {"null", "cross-site", true},
      {"https://127.0.0.1:8080", "", true},
      {"http://127.0.0.1:8081", "", true},
      {"http://127.0.0.1:8080/", "", true},
      {"http://127.0.0.1:8080, http://evil.example", "", true},
  };
  // clang-format on
  for (const auto& [origin, site, refused] : cases) {
    HttpRequest request;
    request.hasOrigin = !origin.empty();
    request.origin = origin;
    request.fetchSite = site;
    EXPECT_EQ(IsCrossSite(request, {"127.0.0.1", 8080}), refused) << origin << " " << site;
  }
}
