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

// Creates the output of `kind` writing to `path`; null with `error` set when
// its file cannot be created.
std::unique_ptr<CaseOutput> MakeOutput(DownloadKind kind, const LocalDateTime& now,
                                       const std::string& path, std::string& error) {
  switch (kind) {
    case DownloadKind::kReport: {
      auto report = std::make_unique<ReportOutput>(now);
      const int failure = report->BeginPending(path, true);
      if (failure != 0) {
        error = std::string("cannot create the report: ") + std::strerror(failure);
        return nullptr;
      }
      return report;
    }
    case DownloadKind::kText: {
      auto text = std::make_unique<ReportOutput>(now, ReportEncoding::kPlainText);
      const int failure = text->BeginPending(path, true);
      if (failure != 0) {
        error = std::string("cannot create the text: ") + std::strerror(failure);
        return nullptr;
      }
      return text;
    }
    case DownloadKind::kCsv: {
      auto csv = std::make_unique<CsvOutput>();
      const int failure = csv->BeginPending(path, true);
      if (failure != 0) {
        error = std::string("cannot create the table: ") + std::strerror(failure);
        return nullptr;
      }
      return csv;
    }
    case DownloadKind::kPdf: {
      auto pdf = std::make_unique<PdfOutput>(PaperSize::kA4, now);
      const int failure = pdf->BeginPending(path, true);
      if (failure != 0) {
        error = std::string("cannot create the PDF: ") + std::strerror(failure);
        return nullptr;
      }
      return pdf;
    }
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
