#include "web/project_upload.h"

#include "fault/fault.h"
#include "numeric/decimal.h"
#include "project/project_file.h"
#include "web/design_query.h"
#include "web/rate_query.h"
#include "web/routes.h"

namespace kalvorden {
namespace {

// The longest boundary a multipart body may use.
constexpr size_t kMostBoundaryBytes = 70;

// The media type of a Content-Type, lowercase, without its parameters.
std::string MediaType(std::string_view contentType) {
  return AsciiLowercase(TrimBlanks(contentType.substr(0, contentType.find(';'))));
}

// The boundary parameter of a multipart Content-Type, unquoted; empty when
// there is none.
std::string_view Boundary(std::string_view contentType) {
  const std::string lower = AsciiLowercase(contentType);
  constexpr std::string_view kName = "boundary=";
  size_t at = lower.find(kName);
  while (at != std::string::npos && at > 0 && lower[at - 1] != ';' && lower[at - 1] != ' ' &&
         lower[at - 1] != '\t') {
    at = lower.find(kName, at + 1);
  }
  if (at == std::string::npos) {
    return {};
  }
  std::string_view value = contentType.substr(at + kName.size());
  value = TrimBlanks(value.substr(0, value.find(';')));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// The design's link for the values of a project file: each value as the
// shortest decimal that reads back as it, the span and adopted case as given.
std::string DesignLinkOf(const RunRequest& request) {
  DesignQuery query;
  query.request = request;
  for (const ValueListInfo& list : ValueLists()) {
    const ValueList& values = request.lists[static_cast<size_t>(list.id)];
    for (int32_t i = 0; i < values.count; ++i) {
      query.texts[static_cast<size_t>(list.id)].push_back(
          FullDecimal(values.values[static_cast<size_t>(i)], FullDecimalUse::kWeb));
    }
  }
  query.spanText = request.span;
  if (request.adopt != 0) {
    query.adoptText = std::to_string(request.adopt);
  }
  return "/design?" + EncodeDesignQuery(query);
}

// The rating's link for a project file that holds a rating and no design:
// each value as the shortest decimal that reads back as it, as the page's
// own project file writes it.
std::string RatingLinkOf(const RunRequest& project, const RatingEntry& rating) {
  RateQuery query;
  query.request.entry = rating;
  query.request.identity = project.identity;
  for (const RatingFieldInfo& field : RatingFields()) {
    const auto index = static_cast<size_t>(&field - RatingFields().data());
    if (rating.given[index]) {
      query.texts[index] = RatingFieldText(field, rating.inputs, FullDecimalUse::kWeb);
    }
  }
  return "/rate?" + EncodeRateQuery(query);
}

HttpResponse Redirection(std::string_view what, const std::string& link) {
  HttpResponse response = MessageResponse(303, "Project file", what);
  response.SetHeader("Location", link);
  return response;
}

}  // namespace

bool ReadUploadedFile(std::string_view contentType, std::string_view body, std::string_view& file,
                      std::string& why) {
  const std::string_view boundary = Boundary(contentType);
  if (boundary.empty() || boundary.size() > kMostBoundaryBytes) {
    why = "The upload gives no boundary between its parts.";
    return false;
  }
  const std::string delimiter = "--" + std::string(boundary);
  const size_t first = body.find(delimiter);
  if (first == std::string_view::npos ||
      (first != 0 && (first < 2 || body.substr(first - 2, 2) != "\r\n"))) {
    why = "The upload holds no part.";
    return false;
  }
  const size_t headersStart = first + delimiter.size();
  if (body.substr(headersStart, 2) != "\r\n") {
    why = "The upload holds no part.";
    return false;
  }
  const size_t headersEnd = body.find("\r\n\r\n", headersStart);
  if (headersEnd == std::string_view::npos) {
    why = "The upload's part has no end to its header.";
    return false;
  }
  const std::string headers = AsciiLowercase(body.substr(headersStart, headersEnd - headersStart));
  const size_t contentStart = headersEnd + 4;
  const size_t contentEnd = body.find("\r\n" + delimiter, contentStart);
  if (contentEnd == std::string_view::npos) {
    why = "The upload's part has no end.";
    return false;
  }
  const size_t after = contentEnd + 2 + delimiter.size();
  if (headers.find("filename=") == std::string::npos || body.substr(after, 2) != "--") {
    why = "The upload must hold one file and nothing else.";
    return false;
  }
  file = body.substr(contentStart, contentEnd - contentStart);
  return true;
}

HttpResponse ProjectUploadResponse(const HttpRequest& request) {
  const std::string type = MediaType(request.contentType);
  std::string_view text = request.body;
  if (type == "multipart/form-data") {
    std::string why;
    if (!ReadUploadedFile(request.contentType, request.body, text, why)) {
      return MessageResponse(400, "Project file", why);
    }
  } else if (type != "application/toml") {
    return MessageResponse(415, "Project file",
                           "Send a project file as application/toml or as a form's file upload.");
  }
  if (text.size() > kMostProjectBytes) {
    return MessageResponse(413, "Project file", "A project file is limited to 64 KB.");
  }
  RunRequest project;
  const Fault fault = ParseProjectText(text, "the project file", project);
  if (fault.ok()) {
    return Redirection("The design of the project file.", DesignLinkOf(project));
  }
  // A file the rating page offered holds [rating] and no [design]: it
  // opens its rating. A file that fails as a rating too is refused with
  // the design's fault.
  RunRequest ratingProject;
  RatingEntry rating;
  if (ParseProjectText(text, "the project file", ratingProject, ProjectUse::kRating, &rating)
          .ok()) {
    return Redirection("The rating of the project file.", RatingLinkOf(ratingProject, rating));
  }
  return MessageResponse(400, "Project file", FormatFault(fault));
}

}  // namespace kalvorden
