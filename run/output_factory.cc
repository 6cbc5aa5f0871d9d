#include "run/output_factory.h"

#include <cerrno>

#include "output/csv_output.h"

namespace kalvorden {
namespace {

constexpr std::array<OutputKindInfo, kOutputKindCount> kKinds = {{
    {OutputKind::kReport, "report", "report.rpt", "application/octet-stream", "report (.rpt)"},
    {OutputKind::kText, "text", "report.txt", "text/plain; charset=utf-8", "text (.txt)"},
    {OutputKind::kCsv, "CSV", "report.csv", "text/csv; charset=utf-8", "table (.csv)"},
    {OutputKind::kPdf, "PDF", "report.pdf", "application/pdf", "PDF with charts (.pdf)"},
}};

}  // namespace

const std::array<OutputKindInfo, kOutputKindCount>& OutputKinds() {
  return kKinds;
}

const OutputKindInfo& OutputKindOf(OutputKind kind) {
  return kKinds[static_cast<size_t>(kind)];
}

std::unique_ptr<FileOutput> OutputFactory::Make(OutputKind kind,
                                                const OutputSettings& settings) const {
  switch (kind) {
    case OutputKind::kReport:
      return std::make_unique<ReportOutput>(settings.now);
    case OutputKind::kText:
      return std::make_unique<ReportOutput>(settings.now, ReportEncoding::kPlainText);
    case OutputKind::kCsv:
      return std::make_unique<CsvOutput>();
    case OutputKind::kPdf:
      return makers_.pdf ? makers_.pdf(settings) : nullptr;
  }
  return nullptr;
}

std::unique_ptr<CaseSink> OutputFactory::MakePage(const OutputSettings& settings,
                                                  const std::string& links,
                                                  std::string& html) const {
  return makers_.page ? makers_.page(settings, links, html) : nullptr;
}

Fault BeginOutputFile(FileOutput& output, OutputKind kind, const std::string& name, bool replace) {
  if (const int failure = output.BeginPending(name, replace); failure != 0) {
    Fault fault = OpenFault(failure, true, name, OutputKindOf(kind).what);
    if (failure == EEXIST) {
      // The one name a pending file refuses as existing (output/pending_file.h).
      fault.detail = "it is a symbolic link to a missing file";
    }
    return fault;
  }
  return {};
}

}  // namespace kalvorden
