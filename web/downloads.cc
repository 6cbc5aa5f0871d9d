#include "web/downloads.h"

#include "pdf/pdf_output.h"
#include "project/values_digest.h"
#include "report/printed_span.h"
#include "web/project_download.h"

namespace kalvorden {

std::string DownloadPath(const OutputKindInfo& kind) {
  return "/download/" + std::string(kind.fileName);
}

OutputSettings SettingsOfQuery(const DesignQuery& query, const LocalDateTime& clock) {
  OutputSettings settings;
  settings.now = clock;
  settings.project = query.identity;
  if (query.hasSpan) {
    settings.spanText = query.spanExact;
    settings.governingRow = query.spanIndex;
  }
  settings.digest = DesignValuesDigest(ProjectOfQuery(query));
  return settings;
}

DesignRunResult WriteDownload(OutputKind kind, const DesignQuery& query, const LocalDateTime& clock,
                              const std::string& path, const KeepGoing& keepGoing) {
  const DesignInputs inputs = QueryInputs(query);
  const OutputFactory factory(MakePdfOutput);
  const std::unique_ptr<CaseOutput> output = factory.Make(kind, SettingsOfQuery(query, clock));
  DesignRunResult result;
  result.fault = BeginOutputFile(*output, kind, path, true);
  if (!result.fault.ok()) {
    return result;
  }
  CaseOutput* const outputs[] = {output.get()};
  return DesignIntoOutputs(inputs, outputs, DesignOptions{}, keepGoing);
}

}  // namespace kalvorden
