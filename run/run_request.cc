#include "run/run_request.h"

#include <charconv>

#include "run/values_digest.h"

namespace kalvorden {

GoverningSpan GoverningSpanOf(const RunRequest& request) {
  return request.span.empty() ? GoverningSpan{} : GoverningRow(request.span);
}

int64_t AdoptedCaseOf(std::string_view text) {
  constexpr int64_t kMostCases = 3125;
  const char* const end = text.data() + text.size();
  int64_t number = 0;
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  const bool digitsOnly = !text.starts_with('-') && error == std::errc() && stop == end;
  return digitsOnly && text.size() <= 4 && number <= kMostCases ? number : 0;
}

OutputSettings SettingsOf(const RunRequest& request, const LocalDateTime& now) {
  OutputSettings settings;
  settings.now = now;
  settings.paper = request.paper;
  settings.project = request.identity;
  settings.governingRow = GoverningSpanOf(request).row;
  settings.adoptedCase = request.adopt;
  if (settings.governingRow >= 0) {
    settings.spanText = request.span;
  }
  if (!request.fromDialogue) {
    settings.digest = DesignValuesDigest(request);
  }
  return settings;
}

}  // namespace kalvorden
