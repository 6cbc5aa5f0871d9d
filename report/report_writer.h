#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "numeric/quad.h"
#include "report/report_file.h"

namespace kalvorden {

// Every heading text, the case line and the row are 59 characters wide.
constexpr int kLineWidth = 59;
using ReportLine = std::array<char, kLineWidth>;

constexpr ReportLine MakeReportLine(const char (&text)[kLineWidth + 1]) {
  ReportLine line{};
  for (int i = 0; i < kLineWidth; ++i) {
    line[i] = text[i];
  }
  return line;
}

constexpr std::string_view View(const ReportLine& line) {
  return std::string_view(line.data(), line.size());
}

// The template of a result row; FormatRow and WriteRow overwrite its nine fields.
constexpr ReportLine kRowTemplate =
    MakeReportLine(" xx.xxx    xxx.xx   xxxx     #xx at xxxx    xx-#xx  xx-#xx ");

// The records of the three page tops, laid out once (report_pages.cc).
struct PageHeadings;

// The span column's texts. Every case repeats the same 111 lengths, so each
// length is edited once (EditFixed, as FormatRow edits it) and its characters
// copied after, found by the value's exact bits in a small table; a length
// not found there is edited and replaces what its slot held.
class SpanColumnTexts {
 public:
  static constexpr int kWidth = 6;
  static constexpr int kDecimals = 3;
  void Edit(Quad length, char* field);

 private:
  struct Entry {
    unsigned __int128 bits = 0;
    bool known = false;
    std::array<char, kWidth> text{};
  };
  std::array<Entry, 256> entries_{};
};

// The report writer's state for the whole run: the file, the two heading
// lines that carry the run's date and time, the two templates whose
// slices are overwritten for every page top and every row, and the page
// tops laid out from the heading lines.
struct ReportWriter {
  ReportFile file;
  ReportLine headerLine1 =
      MakeReportLine("xx-xxx-xx   VALDORA DEPARTMENT OF TRANSPORTATION           ");
  ReportLine headerLine2 =
      MakeReportLine(" xx:xx:xx         FENWORTHY                                ");
  ReportLine caseLine =
      MakeReportLine("  xx.xx  xxx.xxx  xxx.xxx xxx    xx     xx.xxx       x.x   ");
  ReportLine row = kRowTemplate;
  SpanColumnTexts spanTexts;
  // Built from the heading lines on first use, and again should they have
  // changed since; shared by copies of the writer, never changed once built.
  std::shared_ptr<const PageHeadings> headings;
};

}  // namespace kalvorden
