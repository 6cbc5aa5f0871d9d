#include "web/http_message.h"

#include <unistd.h>

#include <algorithm>

namespace kalvorden {

FileDescriptor::~FileDescriptor() {
  if (descriptor_ >= 0) {
    close(descriptor_);
  }
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) {
      close(descriptor_);
    }
    descriptor_ = std::exchange(other.descriptor_, -1);
  }
  return *this;
}

void HttpResponse::SetHeader(std::string_view name, std::string_view value) {
  for (auto& [existing, text] : headers) {
    if (EqualIgnoringCase(existing, name)) {
      text = value;
      return;
    }
  }
  headers.emplace_back(name, value);
}

std::string_view HttpResponse::Header(std::string_view name) const {
  for (const auto& [existing, text] : headers) {
    if (EqualIgnoringCase(existing, name)) {
      return text;
    }
  }
  return {};
}

std::string_view ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 303:
      return "See Other";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 411:
      return "Length Required";
    case 413:
      return "Content Too Large";
    case 414:
      return "URI Too Long";
    case 415:
      return "Unsupported Media Type";
    case 421:
      return "Misdirected Request";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Unknown";
  }
}

namespace {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

}  // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

std::string AsciiLowercase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
  return lower;
}

}  // namespace kalvorden
