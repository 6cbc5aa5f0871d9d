#pragma once

// The head of a response as it goes on the wire: the status line, the
// response's fields, the fields every response carries (unless the
// response sets its own), its length and what becomes of the connection.

#include <string>
#include <utility>
#include <vector>

#include "web/http_message.h"

namespace kalvorden {

struct ResponseFraming {
  bool keepAlive = false;  // false: "Connection: close"
  bool version10 = false;  // a HTTP/1.0 client kept alive is told so
};

std::string ResponseHead(const HttpResponse& response,
                         const std::vector<std::pair<std::string, std::string>>& common,
                         ResponseFraming framing);

}  // namespace kalvorden
