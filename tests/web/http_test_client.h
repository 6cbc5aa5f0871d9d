#pragma once

// A small HTTP client for the server's tests, on plain sockets so a test
// can send exactly the bytes it means (several requests at once, a request
// cut short, a header one byte at a time) and see exactly what comes back.
// Every wait is bounded.

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvorden::testing {

struct HttpReply {
  int status = 0;  // 0: no status line came
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  bool complete = false;  // the status line, the fields and all Content-Length bytes came

  // The value of field `name` (compared without case), or empty.
  std::string Header(std::string_view name) const;
};

class HttpTestConnection {
 public:
  // Connects to 127.0.0.1:port.
  explicit HttpTestConnection(int port);
  ~HttpTestConnection();
  HttpTestConnection(const HttpTestConnection&) = delete;
  HttpTestConnection& operator=(const HttpTestConnection&) = delete;

  bool connected() const { return socket_ >= 0; }
  // False once the server has closed or reset the connection.
  bool Send(std::string_view bytes);
  // Ends the sending side (a half-close); the server may still answer.
  void EndSending();
  // One response; a response to HEAD has no body whatever its length.
  HttpReply Read(std::chrono::milliseconds timeout = std::chrono::seconds(60),
                 bool headOnly = false);
  // Reads and drops bytes until the server closes the connection or resets
  // it: the number of bytes that came after the last response read, or -1
  // when it was still open after `timeout`.
  long ReadUntilClosed(std::chrono::milliseconds timeout);

 private:
  // Appends what arrives before `deadline`; false at its end or the stream's.
  bool Fill(std::chrono::steady_clock::time_point deadline);

  int socket_ = -1;
  std::string received_;  // read and not yet taken by a response
};

// "GET target HTTP/1.1" with "Host: 127.0.0.1:port" (unless `fields` has a
// Host of its own), `fields` ("Name: value") and "Connection: close", on a
// connection of its own.
HttpReply HttpGet(int port, const std::string& target, const std::vector<std::string>& fields = {},
                  const std::string& method = "GET");

}  // namespace kalvorden::testing
