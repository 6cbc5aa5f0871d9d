#include "report/case_pages.h"

#include "report/report_pages.h"

namespace kalvorden {

void FormatCasePages(const ReportWriter& headings, const DesignCase& designCase,
                     std::span<const SpanDesign> spans, CasePages& pages) {
  ReportWriter writer;
  writer.headerLine1 = headings.headerLine1;
  writer.headerLine2 = headings.headerLine2;
  std::string bytes;
  BeginReportMemory(writer.file, bytes);
  for (const SpanDesign& span : spans) {
    ReportSpan(writer, span, designCase);
  }
  // The report prints the last page's footer once, at its very end; each
  // case's own pages end with it here.
  WriteFinalFooter(writer);
  CloseReport(writer.file);

  // The bytes start with the line feed of the first record; after that a
  // carriage return ends every line, followed by the line feed of the next
  // or by a form feed where a new page begins.
  for (std::vector<std::string>& page : pages.pages) {
    page.clear();
  }
  size_t page = 0;
  std::string line;
  for (size_t at = bytes.starts_with('\n') ? 1 : 0; at < bytes.size(); ++at) {
    const char byte = bytes[at];
    if (byte != '\r') {
      line.push_back(byte);
      continue;
    }
    pages.pages[page].push_back(line);
    line.clear();
    ++at;  // the line feed or form feed that follows
    if (at < bytes.size() && bytes[at] == '\f' && page + 1 < pages.pages.size()) {
      ++page;
    }
  }
}

}  // namespace kalvorden
