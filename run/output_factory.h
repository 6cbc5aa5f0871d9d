#pragma once

// Every output a run can write, made by one factory from its kind: the
// command line and the dialogue make the outputs their options name, the web
// page the one its download asks for, from the same table.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "fault/fault.h"
#include "output/file_output.h"
#include "output/report_output.h"
#include "report/local_date_time.h"
#include "run/paper_size.h"
#include "run/project_identity.h"

namespace kalvorden {

enum class OutputKind : uint8_t { kReport, kText, kCsv, kPdf };
constexpr int kOutputKindCount = 4;

struct OutputKindInfo {
  OutputKind kind;
  std::string_view what;         // how messages name it: "report", "text", "CSV", "PDF"
  std::string_view fileName;     // a download's name: "report.rpt"
  std::string_view contentType;  // a download's media type
  std::string_view linkText;     // a download's link: "report (.rpt)"
};

// The kinds in the order outputs are written and named.
const std::array<OutputKindInfo, kOutputKindCount>& OutputKinds();
const OutputKindInfo& OutputKindOf(OutputKind kind);

// What a run tells the outputs it makes, besides the cases themselves.
struct OutputSettings {
  // The run's one clock reading: the report's headings, the PDF's date.
  LocalDateTime now;
  PaperSize paper = PaperSize::kA4;  // the PDF's
  ProjectIdentity project;
  // The bridge's effective span as the engineer gave it ("2.91"), and the
  // printed row that governs it in every case: the first printed span at or
  // above it (0 for 1.000 m ... 110 for 3.750 m); -1 when no span is given.
  std::string spanText;
  int32_t governingRow = -1;
  // The design case the engineer adopts (from 1), whose slab at the
  // governing row the PDF's cover states and checks; 0: none.
  int64_t adoptedCase = 0;
  // The SHA-256 (hexadecimal) of the run's values in their canonical form,
  // or empty.
  std::string digest;
};

// The PDF is drawn with cairo, which only the complete program carries
// (driver/program_parts.h); it gives the factory this maker.
using PdfMaker = std::function<std::unique_ptr<FileOutput>(const OutputSettings&)>;

class OutputFactory {
 public:
  explicit OutputFactory(PdfMaker makePdf = {}) : makePdf_(std::move(makePdf)) {}

  // False for the PDF in a program without it.
  bool Offers(OutputKind kind) const;

  // The output of `kind` for a run of `settings`, its file not yet
  // created; null when not offered.
  std::unique_ptr<FileOutput> Make(OutputKind kind, const OutputSettings& settings) const;

  // The line-printer report itself, which the dialogue writes in place.
  static std::unique_ptr<ReportOutput> MakeReport(const LocalDateTime& now);

 private:
  PdfMaker makePdf_;
};

// Creates the file of `output`, of `kind`, at `name` (BeginPending): no
// fault, or the open error of that name ("opening CSV file ..."); a symbolic
// link to a missing file is refused with error 10 and a line of its own.
Fault BeginOutputFile(FileOutput& output, OutputKind kind, const std::string& name, bool replace);

}  // namespace kalvorden
