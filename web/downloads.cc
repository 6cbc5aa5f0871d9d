#include "web/downloads.h"

#include "pdf/pdf_output.h"

namespace kalvorden {

std::string DownloadPath(const OutputKindInfo& kind) {
  return "/download/" + std::string(kind.fileName);
}

DesignRunResult WriteDownload(OutputKind kind, const DesignQuery& query, const LocalDateTime& clock,
                              const std::string& path, const KeepGoing& keepGoing) {
  const OutputFactory factory(MakePdfOutput);
  const std::unique_ptr<CaseOutput> output = factory.Make(kind, SettingsOf(query.request, clock));
  DesignRunResult result;
  result.fault = BeginOutputFile(*output, kind, path, true);
  if (!result.fault.ok()) {
    return result;
  }
  CaseOutput* const outputs[] = {output.get()};
  return DesignIntoOutputs(DesignInputsOf(query.request), outputs, DesignOptions{}, keepGoing);
}

}  // namespace kalvorden
