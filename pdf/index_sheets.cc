#include "pdf/index_sheets.h"

#include <cairo-pdf.h>

#include <algorithm>

#include "design/design_cases.h"
#include "pdf/case_columns.h"
#include "pdf/case_sheets.h"
#include "pdf/sheet_flow.h"
#include "pdf/sheet_text.h"

namespace kalvorden {
namespace {

constexpr double kLargestIndexFontSize = 8;
constexpr double kIndexLinePitch = 11;
constexpr double kIndexTableTop = 130;  // baseline of the first entry

}  // namespace

int32_t IndexEntriesPerPage(PaperSize paper) {
  return LinesPerSheet(GeometryOf(paper), kIndexTableTop, kIndexLinePitch);
}

int32_t IndexPageCount(PaperSize paper, int64_t caseCount) {
  return PagesFor(caseCount, IndexEntriesPerPage(paper));
}

void ShowNoteLine(cairo_t* cr, const PaperGeometry& page, double baseline,
                  const std::string& text) {
  constexpr double kNoteSize = 9;
  const double room = page.width - 2 * kSideMargin;
  SelectFont(cr, kSansFont, kNoteSize);
  const double width = TextWidthOf(cr, text);
  if (width > room) {
    SelectFont(cr, kSansFont, kNoteSize * room / width);
  }
  ShowLine(cr, kSideMargin, baseline, text);
}

void WriteIndexSheets(PdfDocument& document, const IndexContent& content) {
  cairo_t* cr = document.cr();
  const PaperGeometry page = document.page();
  const DesignInputs& inputs = *content.inputs;
  const int64_t caseCount = content.caseCount;
  const int64_t first = document.nextSheet();
  const int32_t perPage = IndexEntriesPerPage(document.paper());
  const int32_t pages = IndexPageCount(document.paper(), caseCount);
  const CaseColumns columns(inputs);
  const size_t caseWidth = std::max<size_t>(6, std::to_string(caseCount).size() + 1);
  // n grows as fc falls (26402 for fc 1e-6): its column is as wide as the
  // largest n of the run.
  int32_t largestRatio = 0;
  for (int32_t i = 0; i < std::clamp(inputs.concreteStresses.count, 0, kListCapacity); ++i) {
    largestRatio = std::max(
        largestRatio, DeriveModularRatio(inputs.concreteStresses.values[static_cast<size_t>(i)]));
  }
  const size_t ratioWidth = std::max<size_t>(4, std::to_string(largestRatio).size() + 1);
  const bool calculations = content.calculationSheets;
  const std::string heading1 = PadCell("Case", caseWidth) + columns.Heading(0) +
                               PadCell("n", ratioWidth) + PadCell("CF", 5) + "Sheet" +
                               (calculations ? "  Calc." : "");
  const std::string heading2 = PadCell("", caseWidth) + columns.Heading(1);
  const double monoSize =
      MonoSizeToFit(heading1.size() + 2, page.width - 2 * kSideMargin, kLargestIndexFontSize);
  int64_t caseNumber = 0;
  int32_t indexPage = 0;
  auto startPage = [&]() {
    ++indexPage;
    cairo_set_source_rgb(cr, 0, 0, 0);
    SelectFont(cr, kSansFont, 13, CAIRO_FONT_WEIGHT_BOLD);
    ShowLine(cr, kSideMargin, kTopMargin + 6,
             "Service load design of bridge slab (metric): design cases");
    const int64_t comparisonFrom = first + pages;
    ShowNoteLine(
        cr, page, kTopMargin + 24,
        "Run of " + content.runStamp + ", " + std::to_string(caseCount) +
            " design cases. Index page " + std::to_string(indexPage) + " of " +
            std::to_string(pages) + "." +
            (content.comparisonSheets > 0
                 ? " Comparison of the cases by reinforcing steel per m^2 of deck: sheets " +
                       std::to_string(comparisonFrom) + " to " +
                       std::to_string(comparisonFrom + content.comparisonSheets - 1) + "."
                 : std::string()));
    ShowNoteLine(cr, page, kTopMargin + 36,
                 std::string("Each case: 3 table sheets and a chart") +
                     (calculations ? ", then the calculation sheet of its governing row." : ".") +
                     " Sheet: where the case begins." +
                     (calculations ? " Calc.: where its calculation sheet begins." : ""));
    SelectFont(cr, kMonoFont, monoSize);
    ShowLine(cr, kSideMargin, kIndexTableTop - 2.4 * kIndexLinePitch, heading1);
    ShowLine(cr, kSideMargin, kIndexTableTop - 1.4 * kIndexLinePitch, heading2);
  };
  auto endPage = [&]() {
    document.EndSheet("Index of design cases, page " + std::to_string(indexPage) + " of " +
                      std::to_string(pages));
  };
  if (caseCount == 0) {
    startPage();
    ShowLine(cr, kSideMargin, kIndexTableTop, "The run has no design case.");
    endPage();
  }
  ForEachDesignCase(inputs, [&](const DesignCase& c) {
    const int32_t line = static_cast<int32_t>(caseNumber % perPage);
    ++caseNumber;
    if (line == 0) {
      startPage();
    }
    const std::string entry =
        PadCell(std::to_string(caseNumber), caseWidth) + columns.Cells(c) +
        PadCell(std::to_string(c.modularRatio), ratioWidth) +
        PadCell(c.continuityFactor == 1 ? "1.0" : "0.8", 5) +
        PadCellLeft(std::to_string(content.firstSheetOf(caseNumber)), 5) +
        (calculations
             ? PadCellLeft(std::to_string(content.firstSheetOf(caseNumber) + kTableAndChartSheets),
                           7)
             : std::string());
    // No link from the entry to its page: cairo 1.16 writes a link to a page
    // not yet drawn as a reference to an object it never emits (a damaged
    // file). The bookmarks, made once their pages exist, lead there instead.
    ShowLine(cr, kSideMargin, kIndexTableTop + line * kIndexLinePitch, entry);
    if (line == perPage - 1 || caseNumber == caseCount) {
      endPage();
    }
  });
  document.AddBookmark(CAIRO_PDF_OUTLINE_ROOT, "Index of design cases", first);
}

}  // namespace kalvorden
