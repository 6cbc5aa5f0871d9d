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
#include "output/output_settings.h"
#include "output/report_output.h"

namespace kalvorden {

enum class OutputKind : uint8_t { kReport, kText, kCsv, kPdf };
constexpr int kOutputKindCount = 4;

// An output kind as messages and downloads name it; the rating's kinds
// (run/rating_run.h) are described alike.
template <typename Kind>
struct KindInfo {
  Kind kind;
  std::string_view what;         // how messages name it: "report", "text", "CSV", "PDF"
  std::string_view fileName;     // a download's name: "report.rpt"
  std::string_view contentType;  // a download's media type
  std::string_view linkText;     // a download's link: "report (.rpt)"
};
using OutputKindInfo = KindInfo<OutputKind>;

// The kinds in the order outputs are written and named.
const std::array<OutputKindInfo, kOutputKindCount>& OutputKinds();
const OutputKindInfo& OutputKindOf(OutputKind kind);

// The PDF is drawn with cairo, and the page of a run belongs to the web
// door; only the complete program carries them, and it gives the factory
// their makers once (driver/full_program_parts.cc).
using PdfMaker = std::function<std::unique_ptr<FileOutput>(const OutputSettings&)>;
// The web page of a run of `settings`, whose links carry the request as
// `links` (the page's own query); once finished, the page is in `html`.
using PageMaker = std::function<std::unique_ptr<CaseSink>(
    const OutputSettings&, const std::string& links, std::string& html)>;
struct OutputMakers {
  PdfMaker pdf;
  PageMaker page;
};

class OutputFactory {
 public:
  OutputFactory() = default;
  explicit OutputFactory(OutputMakers makers) : makers_(std::move(makers)) {}

  // The output of `kind` for a run of `settings`, its file not yet
  // created; null when not offered.
  std::unique_ptr<FileOutput> Make(OutputKind kind, const OutputSettings& settings) const;

  // The web page of a run of `settings` (PageMaker); null in a program
  // without it.
  std::unique_ptr<CaseSink> MakePage(const OutputSettings& settings, const std::string& links,
                                     std::string& html) const;

 private:
  OutputMakers makers_;
};

// Creates the file of `output`, of `kind`, at `name` (BeginPending): no
// fault, or the open error of that name ("opening CSV file ..."); a symbolic
// link to a missing file is refused with error 10 and a line of its own.
Fault BeginOutputFile(FileOutput& output, OutputKind kind, const std::string& name, bool replace);

}  // namespace kalvorden
