#pragma once

// A request and its answer as the page's handlers see them: plain values,
// with nothing of the connection or of the HTTP library in them, so a
// handler can be called and checked without a socket.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalvorden {

struct HttpRequest {
  std::string method;  // "GET", as sent (methods are case-sensitive)
  std::string path;    // "/design": the target up to its "?"
  std::string query;   // the raw query after the "?", not decoded
  std::string host;    // the Host field; empty when there is none
  bool hasOrigin = false;
  std::string origin;     // the Origin field, when hasOrigin
  std::string fetchSite;  // Sec-Fetch-Site ("same-origin", "cross-site", ...), or empty
  // The body and its Content-Type, kept only for a request the site reads
  // the body of (HttpSite::ReadsBody); empty for every other.
  std::string contentType;
  std::string body;
};

// An open file descriptor, closed with its owner.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept
      : descriptor_(std::exchange(other.descriptor_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return descriptor_; }
  bool valid() const { return descriptor_ >= 0; }

 private:
  int descriptor_ = -1;
};

// The body is `body`, or, when `file` is valid, the first `fileSize` bytes
// of that file (a download, read from a file nobody else can open).
struct HttpResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  FileDescriptor file;
  uint64_t fileSize = 0;

  void SetHeader(std::string_view name, std::string_view value);
  // The value of `name` (compared without case), or empty.
  std::string_view Header(std::string_view name) const;
  uint64_t BodySize() const { return file.valid() ? fileSize : body.size(); }
};

// Asked by a design after each case: false when it should stop (its client
// has gone, the server stops, or its time is up).
using KeepGoing = std::function<bool()>;

// What a request is given: `response` at once (cheap pages and refusals,
// made on the connection's thread), or, when `design` is set, the answer
// `design` makes on a design worker, with the wait and the stop that
// implies.
struct HttpAnswer {
  HttpResponse response;
  std::function<HttpResponse(const KeepGoing& keepGoing)> design;
};

// The reason phrase of a status code the server sends ("Not Found").
std::string_view ReasonPhrase(int status);

// Whether two field names or host names are equal apart from the case of
// ASCII letters.
bool EqualIgnoringCase(std::string_view a, std::string_view b);
// `text` with its ASCII letters in lower case; every other byte as it is.
std::string AsciiLowercase(std::string_view text);

}  // namespace kalvorden
