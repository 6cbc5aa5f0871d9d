#include "web/downloads.h"

#include "pdf/pdf_output.h"

namespace kalvorden {

std::string DownloadPath(const OutputKindInfo& kind) {
  return "/download/" + std::string(kind.fileName);
}

const OutputKindInfo* FindDownload(std::string_view path) {
  for (const OutputKindInfo& kind : OutputKinds()) {
    if (path == DownloadPath(kind)) {
      return &kind;
    }
  }
  return nullptr;
}

DesignRunResult WriteDownload(OutputKind kind, const DesignInputs& inputs,
                              const LocalDateTime& clock, const std::string& path,
                              const KeepGoing& keepGoing) {
  const OutputFactory factory(MakePdfOutput);
  OutputSettings settings;
  settings.now = clock;
  const std::unique_ptr<CaseOutput> output = factory.Make(kind, settings);
  DesignRunResult result;
  result.fault = BeginOutputFile(*output, kind, path, true);
  if (!result.fault.ok()) {
    return result;
  }
  CaseOutput* const outputs[] = {output.get()};
  return DesignIntoOutputs(inputs, outputs, DesignOptions{}, keepGoing);
}

}  // namespace kalvorden
