#include "web/response_head.h"

namespace kalvorden {

std::string ResponseHead(const HttpResponse& response,
                         const std::vector<std::pair<std::string, std::string>>& common,
                         ResponseFraming framing) {
  std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                     std::string(ReasonPhrase(response.status)) + "\r\n";
  for (const auto& [name, value] : response.headers) {
    head.append(name).append(": ").append(value).append("\r\n");
  }
  for (const auto& [name, value] : common) {
    if (response.Header(name).empty()) {
      head.append(name).append(": ").append(value).append("\r\n");
    }
  }
  head += "Content-Length: " + std::to_string(response.BodySize()) + "\r\n";
  if (!framing.keepAlive) {
    head += "Connection: close\r\n";
  } else if (framing.version10) {
    head += "Connection: keep-alive\r\n";
  }
  return head + "\r\n";
}

}  // namespace kalvorden
