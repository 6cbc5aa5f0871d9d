#pragma once

// Which requests the server takes at all. A web page on another site can
// make the browser send requests to this machine: under a name of its own
// that resolves to 127.0.0.1 (DNS rebinding; caught by the Host field), or
// directly, through a link, a form or an image (caught by Origin and
// Sec-Fetch-Site, which the browser sets and the page cannot). Either would
// let any site start designs, so both are refused.

#include <string>
#include <string_view>

#include "web/http_message.h"

namespace kalvorden {

// The address the server listens on and its port.
struct ServerIdentity {
  std::string address;  // as given to --listen: "127.0.0.1", "::1", "0.0.0.0", "localhost"
  int port = 0;
};

// Whether a Host field ("127.0.0.1:8080", "[::1]:8080", "localhost:8080")
// names this server. Host names are compared without case. A loopback
// server also answers to "localhost" and to any loopback address; one on
// the wildcard address to any IP address, never to a host name.
bool AcceptsHost(std::string_view host, const ServerIdentity& server);

// Whether the request was sent on behalf of another site: a Sec-Fetch-Site
// other than "same-origin" or "none" (typed in the address bar, a
// bookmark), or an Origin that is not "http://" and a Host this server
// accepts; but Origin "null" with Sec-Fetch-Site "same-origin" is the
// page's own form post, as a browser sends it under the page's
// Referrer-Policy no-referrer.
bool IsCrossSite(const HttpRequest& request, const ServerIdentity& server);

}  // namespace kalvorden
