#include "pdf/case_sheets.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <type_traits>

#include "chart/case_chart.h"
#include "design/as_built_check.h"
#include "pdf/sheet_text.h"
#include "report/case_pages.h"
#include "report/printed_span.h"

namespace kalvorden {
namespace {

// The table font's size makes its character pitch exactly 6 pt, so
// `pdftotext -layout -fixed 6` gives every line back as the report prints
// it, blanks included.
constexpr double kTableCharacterPitch = 6;
constexpr double kTableFontSize = MonoFontSizeForPitch(kTableCharacterPitch);
constexpr double kTableLinePitch = 11;
// A report page has at most 66 printed lines (18 of heading, 40 rows, 7
// blank, the footer).
constexpr int kReportPageLines = 66;

constexpr double kChartCaptionSize = 12;

// The governing row: a light band behind it and a mark in the margin, both
// drawn, not text, so the page's text stays the report's; and a note above
// the table that says which row it is and why.
void MarkGoverningRow(cairo_t* cr, const PaperGeometry& page, const OutputSettings& settings,
                      double left, double pitch, int32_t line) {
  const double baseline = kTopMargin + static_cast<double>(line) * pitch;
  cairo_set_source_rgb(cr, 0.86, 0.86, 0.86);
  cairo_rectangle(cr, left + 10 * kTableCharacterPitch, baseline - 0.78 * pitch,
                  60 * kTableCharacterPitch, pitch);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_move_to(cr, left - 14, baseline - 7);
  cairo_line_to(cr, left - 4, baseline - 3);
  cairo_line_to(cr, left - 14, baseline + 1);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
  SelectFont(cr, kSansFont, 8);
  const std::string row = PrintedSpan(settings.governingRow);
  const std::string span = settings.spanText.empty() ? row : settings.spanText;
  const std::string note = FitText(
      cr, "Marked row: S = " + row + " m governs the bridge's span of " + ShowableText(span) + " m",
      page.width - 2 * kSideMargin - 100);
  ShowLine(cr, page.width - kSideMargin - TextWidthOf(cr, note), kCaptionBaseline, note);
}

void WriteTableSheet(PdfDocument& document, const CaseSheetContent& content, size_t pageOfCase,
                     const std::vector<std::string>& lines, int32_t firstRow, int32_t markedLine,
                     const std::vector<int32_t>& failingLines) {
  cairo_t* cr = document.cr();
  const PaperGeometry page = document.page();
  cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
  SelectFont(cr, kSansFont, 8);
  ShowLine(cr, kSideMargin, kCaptionBaseline, CaseCaption(content.caseNumber, content.caseCount));
  // The report's column head says only OUTER QUARTERS; the page says what
  // the count is, as the cover and the CSV do. The same on every table
  // sheet: drawn with the lines the sheets share.
  const auto drawNote = [](cairo_t* target) {
    cairo_set_source_rgb(target, 0.35, 0.35, 0.35);
    SelectFont(target, kSansFont, 7);
    ShowLine(target, kSideMargin, kCaptionBaseline + 9,
             "OUTER QUARTERS: the distribution bars of both outer quarters together, half in each "
             "(4-#16 is 2 bars in each quarter).");
  };

  // The report's lines are 70 characters at most (11 blanks and the 59 of
  // the forms); the block is centred on the page, its last line above the
  // title block.
  const double left = (page.width - 70 * kTableCharacterPitch) / 2;
  const double pitch =
      std::min(kTableLinePitch, (LowestBaseline(page) - kTopMargin) / (kReportPageLines - 1));
  if (markedLine >= 0) {
    MarkGoverningRow(cr, page, *content.settings, left, pitch, markedLine);
  }
  // The rows that fail a check as built: a small cross right of each row,
  // drawn, not text, so the page's text stays the report's. The chart
  // sheet says which spans fail which check.
  content.rowMarks->Draw(cr, left + 71 * kTableCharacterPitch, kTopMargin, pitch, failingLines);
  cairo_set_source_rgb(cr, 0, 0, 0);
  SelectFont(cr, kMonoFont, kTableFontSize);
  if (content.tableHeadings != nullptr) {
    content.tableHeadings->Show(document, pageOfCase, lines, firstRow, left, kTopMargin,
                                kTableCharacterPitch, pitch, drawNote);
  } else {
    cairo_save(cr);
    drawNote(cr);
    cairo_restore(cr);
    document.ShowMonospacedLines(lines, left, kTopMargin, kTableCharacterPitch, pitch);
  }
  document.EndSheet(content.subject);
}

void WriteChartSheet(PdfDocument& document, const CaseSheetContent& content,
                     std::span<const uint32_t> failedChecks,
                     const std::vector<ChartSpan>& chartSpans) {
  cairo_t* cr = document.cr();
  const PaperGeometry page = document.page();
  cairo_set_source_rgb(cr, 0, 0, 0);
  SelectFont(cr, kSansFont, kChartCaptionSize, CAIRO_FONT_WEIGHT_BOLD);
  // The caption's capitals (about 0.73 em high) start at the margin.
  const double captionBaseline = kChartPageMargin + kChartCaptionSize * 0.75;
  ShowLine(cr, kChartPageMargin, captionBaseline,
           CaseCaption(content.caseNumber, content.caseCount) +
               ": slab thickness, main bar spacing and reinforcing steel");
  const double chartTop = captionBaseline + kChartCaptionSize;
  const double chartWidth = page.width - 2 * kChartPageMargin;
  // One line under the chart: the spans that fail a check as built.
  constexpr double kChecksLine = 14;
  const double chartHeight = page.height - kTitleBlockBand - chartTop - kChecksLine;
  const std::string checks =
      "Checked as built (rows marked x on the table sheets): " + FailingSpansLine(failedChecks) +
      ".";
  cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
  SelectFont(cr, kSansFont, 8);
  ShowLine(cr, kChartPageMargin, chartTop + chartHeight + kChecksLine - 4,
           FitText(cr, checks, chartWidth));
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_save(cr);
  cairo_translate(cr, kChartPageMargin, chartTop);
  DrawCaseChart(cr, *content.designed, chartSpans, chartWidth, chartHeight,
                content.settings->governingRow, content.chartFurniture);
  cairo_restore(cr);
  document.EndSheet(content.subject);
}

}  // namespace

std::string CaseCaption(int64_t caseNumber, int64_t caseCount) {
  return "Design case " + std::to_string(caseNumber) + " of " + std::to_string(caseCount);
}

CaseSheetPlan PlanCaseSheets(const DesignedCase& designed) {
  CaseSheetPlan plan;
  const int32_t spanCount = std::clamp(designed.sweep.spanCount, 0, kSpansPerCase);
  // Each row is checked once, for its table sheet's cross and the chart
  // sheet's line alike, on enclosures where they decide it (the checks it
  // fails are CheckAsBuilt's).
  plan.failedChecks.assign(static_cast<size_t>(spanCount), 0);
  for (int32_t i = 0; i < spanCount; ++i) {
    const PrintedAsBuiltCheck check = PrintedAsBuilt(
        AsBuiltRowOf(designed.designCase, designed.spans[i], PrintedSpanMillimetres(i)));
    plan.failedChecks[static_cast<size_t>(i)] = check.known ? check.failed : 0;
  }
  plan.chartSpans = ChartSpans(designed);
  return plan;
}

namespace {

// The plan's bytes: each list its count and then its items, an item of a
// plain type as its bytes, a text as its length and its characters. Only
// this program reads them, in the same process that wrote them.
template <typename T>
void AppendPlain(std::string& bytes, const T& value) {
  static_assert(std::is_trivially_copyable_v<T>);
  bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
void AppendList(std::string& bytes, const std::vector<T>& list) {
  AppendPlain(bytes, list.size());
  for (const T& item : list) {
    AppendPlain(bytes, item);
  }
}

class PlanReader {
 public:
  explicit PlanReader(std::string_view bytes) : bytes_(bytes) {}

  template <typename T>
  bool Plain(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (bytes_.size() < sizeof value) {
      return false;
    }
    std::memcpy(&value, bytes_.data(), sizeof value);
    bytes_.remove_prefix(sizeof value);
    return true;
  }

  template <typename T>
  bool List(std::vector<T>& list) {
    size_t count = 0;
    if (!Plain(count) || count > bytes_.size()) {
      return false;
    }
    list.resize(count);
    for (T& item : list) {
      if (!Plain(item)) {
        return false;
      }
    }
    return true;
  }

  bool done() const { return bytes_.empty(); }

 private:
  std::string_view bytes_;
};

}  // namespace

void AppendCaseSheetPlan(const CaseSheetPlan& plan, std::string& bytes) {
  bytes.reserve(bytes.size() + 2 * sizeof(size_t) + plan.failedChecks.size() * sizeof(uint32_t) +
                plan.chartSpans.size() * sizeof(ChartSpan));
  AppendList(bytes, plan.failedChecks);
  AppendList(bytes, plan.chartSpans);
}

bool ReadCaseSheetPlan(std::string_view bytes, CaseSheetPlan& plan) {
  PlanReader reader(bytes);
  return reader.List(plan.failedChecks) && reader.List(plan.chartSpans) && reader.done();
}

void WriteCaseSheets(PdfDocument& document, const CaseSheetContent& content,
                     const CaseSheetPlan& plan) {
  const DesignedCase& designed = *content.designed;
  CasePages pages;
  const int32_t spanCount = std::clamp(designed.sweep.spanCount, 0, kSpansPerCase);
  FormatCasePages(*content.headings, designed.designCase, std::span(designed.spans, spanCount),
                  pages);
  const int32_t row = content.settings->governingRow;
  const bool governs = row >= 0 && row < spanCount;
  std::vector<std::vector<int32_t>> failingLines(pages.pages.size());
  // The line of each page's first row: the heading block is above it.
  std::vector<int32_t> firstRows(pages.pages.size(), -1);
  for (const CasePages::Place& place : pages.rows) {
    if (place.page >= 0 && static_cast<size_t>(place.page) < firstRows.size() &&
        firstRows[static_cast<size_t>(place.page)] < 0) {
      firstRows[static_cast<size_t>(place.page)] = place.line;
    }
  }
  for (int32_t i = 0; i < spanCount && static_cast<size_t>(i) < plan.failedChecks.size(); ++i) {
    const auto& place = pages.rows[static_cast<size_t>(i)];
    if (plan.failedChecks[static_cast<size_t>(i)] != 0 && place.page >= 0 &&
        static_cast<size_t>(place.page) < failingLines.size()) {
      failingLines[static_cast<size_t>(place.page)].push_back(place.line);
    }
  }
  for (size_t p = 0; p < pages.pages.size(); ++p) {
    const bool here =
        governs && pages.rows[static_cast<size_t>(row)].page == static_cast<int32_t>(p);
    WriteTableSheet(document, content, p, pages.pages[p], firstRows[p],
                    here ? pages.rows[static_cast<size_t>(row)].line : -1, failingLines[p]);
  }
  WriteChartSheet(document, content, plan.failedChecks, plan.chartSpans);
}

}  // namespace kalvorden
