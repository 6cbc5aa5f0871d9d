#include "pdf/calculation_sheets.h"

#include <algorithm>

#include "explain/calculation_sheet.h"
#include "pdf/case_sheets.h"
#include "pdf/sheet_text.h"
#include "report/printed_span.h"

namespace kalvorden {
namespace {

// A calculation sheet's lines are at most 100 characters; at a pitch of
// 4.8 pt they take 480 pt, within the margins of either paper.
constexpr double kCalculationCharacterPitch = 4.8;
constexpr double kCalculationLinePitch = 9.6;
constexpr size_t kCalculationColumns = 100;

}  // namespace

int32_t CalculationLinesPerPage(PaperSize paper) {
  return LinesPerSheet(GeometryOf(paper), kTopMargin, kCalculationLinePitch);
}

int32_t CalculationPageCount(PaperSize paper, int64_t lineCount) {
  return PagesFor(lineCount, CalculationLinesPerPage(paper));
}

std::vector<std::string> CalculationLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    std::string line = text.substr(at, end - at);
    // The sheet's lines are at most 100 columns; a longer one would run off
    // the page, so it continues on the next line instead.
    do {
      lines.push_back(line.substr(0, kCalculationColumns));
      line.erase(0, std::min(line.size(), kCalculationColumns));
    } while (!line.empty());
    at = end + 1;
  }
  return lines;
}

int32_t WriteCalculationSheets(PdfDocument& document, const CalculationSheetContent& content) {
  const CalculationSheet sheet = WriteCalculationSheet(*content.designCase, content.governingRow);
  const std::vector<std::string> lines = CalculationLines(sheet.text);
  const int32_t pages = CalculationPageCount(document.paper(), static_cast<int64_t>(lines.size()));
  cairo_t* cr = document.cr();
  const PaperGeometry page = document.page();
  const auto perPage = static_cast<size_t>(CalculationLinesPerPage(document.paper()));
  const double left = (page.width - kCalculationColumns * kCalculationCharacterPitch) / 2;
  for (int32_t p = 0; p < pages; ++p) {
    cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
    SelectFont(cr, kSansFont, 8);
    ShowLine(cr, kSideMargin, kCaptionBaseline,
             CaseCaption(content.caseNumber, content.caseCount) +
                 ": calculation sheet of the governing row, " +
                 "S = " + PrintedSpan(content.governingRow) + " m, page " + std::to_string(p + 1) +
                 " of " + std::to_string(pages));
    const size_t from = static_cast<size_t>(p) * perPage;
    const std::vector<std::string> pageLines(
        lines.begin() + static_cast<std::ptrdiff_t>(from),
        lines.begin() + static_cast<std::ptrdiff_t>(std::min(lines.size(), from + perPage)));
    cairo_set_source_rgb(cr, 0, 0, 0);
    SelectFont(cr, kMonoFont, MonoFontSizeForPitch(kCalculationCharacterPitch));
    document.ShowMonospacedLines(pageLines, left, kTopMargin, kCalculationCharacterPitch,
                                 kCalculationLinePitch);
    document.EndSheet(content.subject);
  }
  return pages;
}

}  // namespace kalvorden
