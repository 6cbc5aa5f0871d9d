#include "web/downloads.h"

#include <cstring>
#include <memory>

#include "design/design_cases.h"
#include "output/csv_output.h"
#include "output/report_output.h"
#include "pdf/pdf_output.h"

namespace kalvorden {
namespace {

LocalDateTime ToLocalDateTime(const QueryClock& clock) {
  return {clock.year, clock.month, clock.day, clock.hour, clock.minute, clock.second};
}

// `output`, once its temporary file beside `path` exists; null with `error`
// set (naming `what`) when it cannot be created.
template <typename Output>
std::unique_ptr<CaseOutput> Begun(std::unique_ptr<Output> output, const std::string& path,
                                  const char* what, std::string& error) {
  if (const int failure = output->BeginPending(path, true); failure != 0) {
    error = std::string("cannot create the ") + what + ": " + std::strerror(failure);
    return nullptr;
  }
  return output;
}

// Creates the output of `kind` writing to `path`; null with `error` set when
// its file cannot be created.
std::unique_ptr<CaseOutput> MakeOutput(DownloadKind kind, const LocalDateTime& now,
                                       const std::string& path, std::string& error) {
  switch (kind) {
    case DownloadKind::kReport:
      return Begun(std::make_unique<ReportOutput>(now), path, "report", error);
    case DownloadKind::kText:
      return Begun(std::make_unique<ReportOutput>(now, ReportEncoding::kPlainText), path, "text",
                   error);
    case DownloadKind::kCsv:
      return Begun(std::make_unique<CsvOutput>(), path, "table", error);
    case DownloadKind::kPdf:
      return Begun(std::make_unique<PdfOutput>(PaperSize::kA4, now), path, "PDF", error);
  }
  error = "this download is not available";
  return nullptr;
}

}  // namespace

const std::vector<DownloadInfo>& AvailableDownloads() {
  static const std::vector<DownloadInfo> downloads = {
      {DownloadKind::kReport, "/download/report.rpt", "report.rpt", "application/octet-stream",
       "report (.rpt)"},
      {DownloadKind::kText, "/download/report.txt", "report.txt", "text/plain; charset=utf-8",
       "text (.txt)"},
      {DownloadKind::kCsv, "/download/report.csv", "report.csv", "text/csv; charset=utf-8",
       "table (.csv)"},
      {DownloadKind::kPdf, "/download/report.pdf", "report.pdf", "application/pdf",
       "PDF with charts (.pdf)"},
  };
  return downloads;
}

bool WriteDownload(DownloadKind kind, const DesignInputs& inputs, const QueryClock& clock,
                   const std::string& path, const std::function<bool()>& keepGoing,
                   std::string& error) {
  std::unique_ptr<CaseOutput> output = MakeOutput(kind, ToLocalDateTime(clock), path, error);
  if (output == nullptr) {
    return false;
  }
  if (!output->Start(inputs)) {
    output->Abandon();
    error = FormatFault(output->failure());
    return false;
  }
  bool failed = false;
  bool stopped = false;
  EnumerateDesignCases(inputs, [&](const DesignedCase& designed) {
    if (!keepGoing()) {
      stopped = true;
      return false;
    }
    failed = !output->Write(designed);
    return !failed;
  });
  if (!failed && !stopped && output->Finish()) {
    return true;
  }
  output->Abandon();
  error = stopped ? std::string() : FormatFault(output->failure());
  return false;
}

}  // namespace kalvorden
