#include "run/run_request.h"

#include "run/values_digest.h"

namespace kalvorden {

DesignInputs DesignInputsOf(const RunRequest& request) {
  return DesignInputsOf(request.lists, request.continuity);
}

GoverningSpan GoverningSpanOf(const RunRequest& request) {
  return request.span.empty() ? GoverningSpan{} : GoverningRow(request.span);
}

OutputSettings SettingsOf(const RunRequest& request, const LocalDateTime& now) {
  OutputSettings settings;
  settings.now = now;
  settings.paper = request.paper;
  settings.project = request.identity;
  settings.governingRow = GoverningSpanOf(request).row;
  if (settings.governingRow >= 0) {
    settings.spanText = request.span;
  }
  if (!request.fromDialogue) {
    settings.digest = DesignValuesDigest(request);
  }
  return settings;
}

}  // namespace kalvorden
