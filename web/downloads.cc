#include "web/downloads.h"

namespace kalvorden {
namespace {

bool IsSafe(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '_' || c == '-';
}

std::string SafeStem(std::string_view text) {
  std::string stem;
  for (const char c : text) {
    const char safe = IsSafe(c) ? c : '-';
    if (safe != '-' || stem.empty() || stem.back() != '-') {
      stem += safe;
    }
  }
  if (stem.size() > kMostNameCharacters) {
    stem.resize(kMostNameCharacters);
  }
  const size_t first = stem.find_first_not_of("-.");
  if (first == std::string::npos) {
    return {};
  }
  const size_t last = stem.find_last_not_of("-.");
  return stem.substr(first, last - first + 1);
}

}  // namespace

std::string DownloadFileName(const ProjectIdentity& identity, std::string_view fileName) {
  std::string stem = SafeStem(identity.bridge);
  if (stem.empty()) {
    stem = SafeStem(identity.title);
  }
  if (stem.empty()) {
    return "kalvorden-" + std::string(fileName);
  }
  const size_t dot = fileName.rfind('.');
  return stem + std::string(fileName.substr(dot == std::string_view::npos ? fileName.size() : dot));
}

std::string DownloadPath(const OutputKindInfo& kind) {
  return "/download/" + std::string(kind.fileName);
}

HttpResponse Attachment(std::string_view contentType, const ProjectIdentity& identity,
                        std::string_view fileName, std::string body) {
  HttpResponse response;
  response.SetHeader("Content-Type", contentType);
  response.SetHeader("Content-Disposition",
                     "attachment; filename=\"" + DownloadFileName(identity, fileName) + "\"");
  response.body = std::move(body);
  return response;
}

}  // namespace kalvorden
