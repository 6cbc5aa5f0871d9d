#pragma once

// Opening a saved project file in the page: POST /project with the file's
// bytes, as application/toml or as a form's file upload
// (multipart/form-data with one file part), read by the project reader and
// answered 303 with the design's link for its values.

#include <string>
#include <string_view>

#include "web/http_message.h"

namespace kalvorden {

constexpr std::string_view kProjectUploadPath = "/project";
// The most bytes a project file may hold.
constexpr size_t kMostProjectBytes = size_t{64} * 1024;

// The one file part of a multipart/form-data `body` whose Content-Type is
// `contentType`: true with its bytes in `file`; false with why in `why`.
bool ReadUploadedFile(std::string_view contentType, std::string_view body, std::string_view& file,
                      std::string& why);

// 303 to the design's link, 400 with the reader's message, 413 for a file
// over kMostProjectBytes, 415 for another content type.
HttpResponse ProjectUploadResponse(const HttpRequest& request);

}  // namespace kalvorden
