#include "run/run_request.h"

#include "run/values_digest.h"

namespace kalvorden {

GoverningSpan GoverningSpanOf(const RunRequest& request) {
  return request.span.empty() ? GoverningSpan{} : GoverningRow(request.span);
}

int64_t AdoptedCaseOf(std::string_view text) {
  constexpr int64_t kMostCases = 3125;
  if (text.empty() || text.size() > 4) {
    return 0;
  }
  int64_t number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return 0;
    }
    number = number * 10 + (c - '0');
  }
  return number <= kMostCases ? number : 0;
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
