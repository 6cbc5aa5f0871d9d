#include "tests/web/http_test_client.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace kalvorden::testing {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lower;
}

}  // namespace

std::string HttpReply::Header(std::string_view name) const {
  for (const auto& [field, value] : headers) {
    if (Lower(field) == Lower(name)) {
      return value;
    }
  }
  return {};
}

HttpTestConnection::HttpTestConnection(int port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    socket_ = s;
  } else if (s >= 0) {
    close(s);
  }
}

HttpTestConnection::~HttpTestConnection() {
  if (socket_ >= 0) {
    close(socket_);
  }
}

void HttpTestConnection::EndSending() {
  shutdown(socket_, SHUT_WR);
}

bool HttpTestConnection::Send(std::string_view bytes) {
  while (!bytes.empty() && socket_ >= 0) {
    const ssize_t sent = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) {
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return socket_ >= 0;
}

bool HttpTestConnection::Fill(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  pollfd ready = {socket_, POLLIN, 0};
  if (socket_ < 0 || left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) != 1) {
    return false;
  }
  char buffer[65536];
  const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
  if (got <= 0) {
    return false;
  }
  received_.append(buffer, static_cast<size_t>(got));
  return true;
}

HttpReply HttpTestConnection::Read(std::chrono::milliseconds timeout, bool headOnly) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  HttpReply reply;
  size_t end = 0;
  while ((end = received_.find("\r\n\r\n")) == std::string::npos) {
    if (!Fill(deadline)) {
      return reply;
    }
  }
  const std::string head = received_.substr(0, end + 2);
  received_.erase(0, end + 4);
  reply.status = std::atoi(head.substr(head.find(' ') + 1, 3).c_str());
  for (size_t line = head.find("\r\n") + 2; line < head.size();) {
    const size_t lineEnd = head.find("\r\n", line);
    const size_t colon = head.find(':', line);
    if (colon < lineEnd) {
      reply.headers.emplace_back(head.substr(line, colon - line),
                                 head.substr(colon + 2, lineEnd - colon - 2));
    }
    line = lineEnd + 2;
  }
  const size_t length =
      headOnly ? 0 : std::strtoull(reply.Header("Content-Length").c_str(), nullptr, 10);
  while (received_.size() < length && Fill(deadline)) {
  }
  reply.complete = received_.size() >= length;
  reply.body = received_.substr(0, length);
  received_.erase(0, reply.body.size());
  return reply;
}

long HttpTestConnection::ReadUntilClosed(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  long count = 0;
  do {
    count += static_cast<long>(received_.size());
    received_.clear();
  } while (Fill(deadline));
  return std::chrono::steady_clock::now() < deadline ? count : -1;
}

HttpReply HttpGet(int port, const std::string& target, const std::vector<std::string>& fields,
                  const std::string& method) {
  std::string request = method + " " + target + " HTTP/1.1\r\n";
  bool host = false;
  for (const std::string& field : fields) {
    host = host || Lower(field).rfind("host:", 0) == 0;
    request += field + "\r\n";
  }
  if (!host) {
    request += "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
  }
  request += "Connection: close\r\n\r\n";
  HttpTestConnection connection(port);
  connection.Send(request);
  return connection.Read(std::chrono::seconds(120), method == "HEAD");
}

}  // namespace kalvorden::testing
