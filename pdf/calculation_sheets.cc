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

namespace {

size_t IndentOf(const std::string& line) {
  const size_t at = line.find_first_not_of(' ');
  return at == std::string::npos ? line.size() : at;
}

// How far back from a page's end a block's heading is looked for.
constexpr size_t kLongestKeptBlock = 24;

}  // namespace

std::vector<size_t> CalculationPageStarts(PaperSize paper, const std::vector<std::string>& lines) {
  const auto perPage = static_cast<size_t>(CalculationLinesPerPage(paper));
  std::vector<size_t> starts = {0};
  size_t from = 0;
  while (lines.size() - from > perPage) {
    size_t end = from + perPage;
    if (lines.size() - end < kLeastLinesOnLastPage) {
      end = lines.size() - kLeastLinesOnLastPage;
      for (size_t h = end; h > from + 1 && h + kLongestKeptBlock > end; --h) {
        const std::string& heading = lines[h - 1];
        if (IndentOf(heading) < heading.size() && IndentOf(heading) < IndentOf(lines[h])) {
          end = h - 1;
          break;
        }
      }
    }
    starts.push_back(end);
    from = end;
  }
  return starts;
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

int32_t WriteMonospacedSheets(PdfDocument& document, const std::vector<std::string>& lines,
                              const std::string& caption, const std::string& subject) {
  const std::vector<size_t> starts = CalculationPageStarts(document.paper(), lines);
  const auto pages = static_cast<int32_t>(starts.size());
  cairo_t* cr = document.cr();
  const PaperGeometry page = document.page();
  const double left = (page.width - kCalculationColumns * kCalculationCharacterPitch) / 2;
  for (int32_t p = 0; p < pages; ++p) {
    cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
    SelectFont(cr, kSansFont, 8);
    ShowLine(cr, kSideMargin, kCaptionBaseline,
             caption + ", page " + std::to_string(p + 1) + " of " + std::to_string(pages));
    const size_t from = starts[static_cast<size_t>(p)];
    const size_t to = p + 1 < pages ? starts[static_cast<size_t>(p) + 1] : lines.size();
    const std::vector<std::string> pageLines(lines.begin() + static_cast<std::ptrdiff_t>(from),
                                             lines.begin() + static_cast<std::ptrdiff_t>(to));
    cairo_set_source_rgb(cr, 0, 0, 0);
    SelectFont(cr, kMonoFont, MonoFontSizeForPitch(kCalculationCharacterPitch));
    document.ShowMonospacedLines(pageLines, left, kTopMargin, kCalculationCharacterPitch,
                                 kCalculationLinePitch);
    document.EndSheet(subject);
  }
  return pages;
}

int32_t WriteCalculationSheets(PdfDocument& document, const CalculationSheetContent& content) {
  const CalculationSheet sheet = WriteCalculationSheet(*content.designCase, content.governingRow);
  return WriteMonospacedSheets(document, CalculationLines(sheet.text),
                               CaseCaption(content.caseNumber, content.caseCount) +
                                   ": calculation sheet of the governing row, S = " +
                                   PrintedSpan(content.governingRow) + " m",
                               content.subject);
}

}  // namespace kalvorden
