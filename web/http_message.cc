#include "web/http_message.h"

#include <unistd.h>

#include <algorithm>
#include <iterator>

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
  static constexpr std::pair<int, std::string_view> kPhrases[] = {
      {200, "OK"},
      {303, "See Other"},
      {400, "Bad Request"},
      {403, "Forbidden"},
      {404, "Not Found"},
      {405, "Method Not Allowed"},
      {408, "Request Timeout"},
      {411, "Length Required"},
      {413, "Content Too Large"},
      {414, "URI Too Long"},
      {415, "Unsupported Media Type"},
      {421, "Misdirected Request"},
      {500, "Internal Server Error"},
      {503, "Service Unavailable"},
  };
  const auto* phrase = std::find_if(std::begin(kPhrases), std::end(kPhrases),
                                    [status](const auto& entry) { return entry.first == status; });
  return phrase != std::end(kPhrases) ? phrase->second : "Unknown";
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
