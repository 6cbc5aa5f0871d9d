#pragma once

#include <array>
#include <memory>
#include <string_view>

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

// The template of a result row; FillRow overwrites its nine fields.
constexpr ReportLine kRowTemplate =
    MakeReportLine(" xx.xxx    xxx.xx   xxxx     #xx at xxxx    xx-#xx  xx-#xx ");

// The records of the three page tops, laid out once (report_pages.cc).
struct PageHeadings;

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
  // Built from the heading lines on first use, and again should they have
  // changed since; shared by copies of the writer, never changed once built.
  std::shared_ptr<const PageHeadings> headings;
};

}  // namespace kalvorden
