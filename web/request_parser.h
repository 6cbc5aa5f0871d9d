#pragma once

// The parser of one HTTP request, on Boost.Beast's, keeping only what the
// site uses within the server's limits; it knows nothing of pages.

#include <algorithm>
#include <boost/beast/http/basic_parser.hpp>
#include <boost/beast/http/error.hpp>
#include <cstdint>
#include <string>
#include <string_view>

#include "web/http_message.h"
#include "web/http_server.h"

namespace kalvorden {

namespace http_detail {
namespace http = boost::beast::http;
using ErrorCode = boost::system::error_code;
using BeastText = boost::beast::string_view;

inline std::string_view ToView(BeastText text) {
  return {text.data(), text.size()};
}

// Reads one request and keeps only what the site uses: the method, the
// target, four fields and, where the site reads it, the body. Every other
// field is counted and dropped, and so is every other body, so what a
// request costs in memory is the connection's buffer and at most one copy
// of its body, whatever it holds.
class RequestParser final : public http::basic_parser<true> {
 public:
  RequestParser(const HttpLimits& limits, const HttpSite& site) : limits_(limits), site_(site) {
    header_limit(static_cast<std::uint32_t>(limits.mostRequestBytes));
    body_limit(limits.mostRequestBytes);
  }

  HttpRequest& request() { return request_; }
  int version() const { return version_; }
  // The status the request is refused with, when a limit of the site's own
  // (not the parser's) ended it; 0 otherwise.
  int refusal() const { return refusal_; }

 private:
  void Refuse(int status, ErrorCode& ec) {
    if (refusal_ == 0) {
      refusal_ = status;
    }
    ec = http::error::bad_value;
  }

  void Count(size_t bytes, ErrorCode& ec) {
    bytes_ += bytes;
    if (bytes_ > limits_.mostRequestBytes) {
      Refuse(413, ec);
    }
  }

  // A field sent twice is kept as both values joined, which no check takes
  // for a value of its own.
  static void Keep(std::string& kept, std::string_view value, bool& seen) {
    if (seen) {
      kept += ", ";
    }
    kept += value;
    seen = true;
  }

  void on_request_impl(http::verb /*method*/, BeastText method, BeastText target, int version,
                       ErrorCode& ec) override {
    if (target.size() > limits_.mostTargetBytes) {
      Refuse(414, ec);
      return;
    }
    version_ = version;
    request_.method = ToView(method);
    const std::string_view text = ToView(target);
    const size_t mark = text.find('?');
    request_.path = text.substr(0, mark);
    if (mark != std::string_view::npos) {
      request_.query = text.substr(mark + 1);
    }
    Count(method.size() + target.size() + sizeof " HTTP/1.1\r\n", ec);
  }

  void on_response_impl(int /*code*/, BeastText /*reason*/, int /*version*/,
                        ErrorCode& /*ec*/) override {}

  void on_field_impl(http::field name, BeastText nameText, BeastText value,
                     ErrorCode& ec) override {
    Count(nameText.size() + value.size() + sizeof ": \r\n", ec);
    if (ec) {
      return;
    }
    if (name == http::field::host) {
      // Two Host fields: which one names the server is anybody's guess.
      if (hasHost_) {
        Refuse(400, ec);
        return;
      }
      Keep(request_.host, ToView(value), hasHost_);
    } else if (name == http::field::origin) {
      Keep(request_.origin, ToView(value), request_.hasOrigin);
    } else if (name == http::field::content_type) {
      Keep(request_.contentType, ToView(value), hasContentType_);
    } else if (EqualIgnoringCase(ToView(nameText), "Sec-Fetch-Site")) {
      Keep(request_.fetchSite, ToView(value), hasFetchSite_);
    }
  }

  void on_header_impl(ErrorCode& ec) override {
    // Refused before its first byte comes, not after the client sent it.
    on_body_init_impl(content_length(), ec);
    if (ec) {
      return;
    }
    keepBody_ = site_.ReadsBody(request_);
    // Without a length a request's body is empty; one the site reads
    // must say how long it is, so that an empty body is never taken for
    // one cut short.
    if (keepBody_ && !chunked() && !content_length()) {
      Refuse(411, ec);
    }
  }

  void on_body_init_impl(const boost::optional<std::uint64_t>& length, ErrorCode& ec) override {
    if (length && *length > limits_.mostRequestBytes - std::min(bytes_, limits_.mostRequestBytes)) {
      Refuse(413, ec);
    }
  }

  size_t on_body_impl(BeastText body, ErrorCode& ec) override {
    Keep(body, ec);
    return body.size();
  }

  void on_chunk_header_impl(std::uint64_t /*size*/, BeastText /*extensions*/,
                            ErrorCode& /*ec*/) override {}

  size_t on_chunk_body_impl(std::uint64_t /*remain*/, BeastText body, ErrorCode& ec) override {
    Keep(body, ec);
    return body.size();
  }

  void Keep(BeastText body, ErrorCode& ec) {
    Count(body.size(), ec);
    if (!ec && keepBody_) {
      request_.body.append(body.data(), body.size());
    }
  }

  void on_finish_impl(ErrorCode& /*ec*/) override {}

  const HttpLimits& limits_;
  const HttpSite& site_;
  HttpRequest request_;
  size_t bytes_ = 0;
  int version_ = 11;
  int refusal_ = 0;
  bool hasHost_ = false;
  bool hasFetchSite_ = false;
  bool hasContentType_ = false;
  bool keepBody_ = false;
};

}  // namespace http_detail

using http_detail::RequestParser;

}  // namespace kalvorden
