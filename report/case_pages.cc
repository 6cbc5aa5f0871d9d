#include "report/case_pages.h"

#include "report/report_pages.h"

namespace kalvorden {

void FormatCasePages(const ReportWriter& headings, const DesignCase& designCase,
                     std::span<const SpanDesign> spans, CasePages& pages) {
  for (std::vector<std::string>& page : pages.pages) {
    page.clear();
  }
  pages.rows.clear();
  // The records as the report writes them: a "1" begins a new page, a "0"
  // has an empty line above it (but for the first line, where the report
  // has none either), any other control character just the line.
  size_t page = 0;
  bool first = true;
  const RecordSink records = [&](char control, std::string_view printed) {
    if (control == '1' && !first && page + 1 < pages.pages.size()) {
      ++page;
    } else if (control == '0' && !first) {
      pages.pages[page].emplace_back();
    }
    pages.pages[page].emplace_back(printed);
    first = false;
  };
  ReportWriter writer;
  writer.headerLine1 = headings.headerLine1;
  writer.headerLine2 = headings.headerLine2;
  writer.headings = headings.headings;
  BeginReportRecords(writer.file, records);
  for (const SpanDesign& span : spans) {
    ReportSpan(writer, span, designCase);
    // A span's row is the last line it prints.
    pages.rows.push_back(
        {static_cast<int32_t>(page), static_cast<int32_t>(pages.pages[page].size()) - 1});
  }
  // The report prints the last page's footer once, at its very end; each
  // case's own pages end with it here.
  WriteFinalFooter(writer);
  CloseReport(writer.file);
}

}  // namespace kalvorden
