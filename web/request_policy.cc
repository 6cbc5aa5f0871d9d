#include "web/request_policy.h"

#include <arpa/inet.h>

namespace kalvorden {
namespace {

bool IsWildcardAddress(const std::string& address) {
  return address == "0.0.0.0" || address == "::" || address.empty();
}

bool IsAddressLiteral(const std::string& host) {
  in_addr v4{};
  in6_addr v6{};
  return inet_pton(AF_INET, host.c_str(), &v4) == 1 || inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

// Splits "name:port" or "[v6]:port"; the port is "80" when not given.
bool SplitHost(std::string_view host, std::string& name, std::string_view& port) {
  port = "80";
  if (!host.empty() && host[0] == '[') {
    const size_t close = host.find(']');
    if (close == std::string_view::npos) {
      return false;
    }
    name = host.substr(1, close - 1);
    if (close + 1 < host.size()) {
      if (host[close + 1] != ':') {
        return false;
      }
      port = host.substr(close + 2);
    }
    return true;
  }
  const size_t colon = host.rfind(':');
  name = host.substr(0, colon);
  if (colon != std::string_view::npos) {
    port = host.substr(colon + 1);
  }
  return true;
}

bool IsLoopbackAddress(const std::string& address) {
  in_addr v4{};
  in6_addr v6{};
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  if (inet_pton(AF_INET6, address.c_str(), &v6) == 1) {
    return IN6_IS_ADDR_LOOPBACK(&v6);
  }
  return AsciiLowercase(address) == "localhost";
}

}  // namespace

bool AcceptsHost(std::string_view host, const ServerIdentity& server) {
  std::string name;
  std::string_view port;
  if (host.empty() || !SplitHost(host, name, port) || port != std::to_string(server.port)) {
    return false;
  }
  name = AsciiLowercase(name);
  const std::string address = AsciiLowercase(server.address);
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

bool IsCrossSite(const HttpRequest& request, const ServerIdentity& server) {
  const std::string site = AsciiLowercase(request.fetchSite);
  if (!site.empty() && site != "same-origin" && site != "none") {
    return true;
  }
  if (!request.hasOrigin) {
    return false;
  }
  constexpr std::string_view kScheme = "http://";
  const std::string origin = AsciiLowercase(request.origin);
  // Under the page's Referrer-Policy (no-referrer) a browser sends Origin
  // "null" with the page's own form posts (the project upload); the
  // Sec-Fetch-Site it sets beside it says whether the post is the page's.
  if (origin == "null" && site == "same-origin") {
    return false;
  }
  return origin.compare(0, kScheme.size(), kScheme) != 0 ||
         !AcceptsHost(std::string_view(origin).substr(kScheme.size()), server);
}

}  // namespace kalvorden
