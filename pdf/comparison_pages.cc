#include "pdf/comparison_pages.h"

#include <algorithm>
#include <array>
#include <vector>

#include "chart/comparison_chart.h"
#include "design/as_built_check.h"
#include "pdf/case_columns.h"
#include "pdf/sheet_text.h"
#include "report/printed_span.h"

namespace kalvorden {
namespace {

// As the chart page: the printable area, above the title block.
constexpr double kMargin = kChartPageMargin;
constexpr double kTitleSize = 12;
constexpr double kNoteSize = 8;
constexpr double kNotePitch = 10.5;
// 7 pt DejaVu Sans Mono is 4.2 pt a character: 117 characters across A4.
constexpr double kTableFontSize = 7;
constexpr double kTableLinePitch = 10;
constexpr double kTableTop = 150;  // baseline of the first row
constexpr int32_t kSpanRowsPerColumn = 56;

std::string Thickness(int32_t millimetres) {
  return millimetres == 0 ? "-" : std::to_string(millimetres);
}

std::string Steel(int64_t hundredths) {
  return hundredths == kNoSteel ? "-" : SteelText(hundredths);
}

// "#16 #19"; more than three sizes as the first and last: "#16 ... #57".
std::string BarSizes(const ComparedCase& compared) {
  const std::vector<int32_t> sizes = MainBarSizes(compared);
  if (sizes.empty()) {
    return "-";
  }
  if (sizes.size() > 3) {
    return "#" + std::to_string(sizes.front()) + " ... #" + std::to_string(sizes.back());
  }
  std::string text;
  for (const int32_t size : sizes) {
    text += text.empty() ? "#" : " #";
    text += std::to_string(size);
  }
  return text;
}

// The case's row at the ranking row checked as built: "OK", the checks it
// fails ("fs thickness"), or "-" when that row was not designed.
std::string ChecksText(const ComparedCase& c) {
  return c.rankingChecked ? CheckNames(c.rankingFailures) : "-";
}

// The heading over the steel columns, wider than they are.
constexpr std::string_view kSteelHeading = "Steel (kg/m^2 of deck) at span (m)";

// The column widths of the comparison table, in characters.
constexpr size_t kRank = 5, kCase = 6, kLoad = 10, kCover = 8, kValue = 9, kThick = 7, kBars = 14,
                 kSteel = 8;

// The five values of a case as the table shows them, in full.
std::array<std::string, 5> ValueTexts(const ComparedCase& c) {
  return {FullValue(c.values.wheelLoad), FullValue(c.values.topCover),
          FullValue(c.values.futurePaving), FullValue(c.values.steelStress),
          FullValue(c.values.concreteStress)};
}

// The widths of the five value columns: as wide as the run's longest value
// and a blank, never narrower than their headings, so that every row's
// columns line up however many digits a value was entered with.
using ValueWidths = std::array<size_t, 5>;

ValueWidths ValueWidthsOf(const std::vector<ComparedCase>& cases) {
  ValueWidths widths = {kLoad, kCover, kValue, kValue, kValue};
  for (const ComparedCase& c : cases) {
    const std::array<std::string, 5> texts = ValueTexts(c);
    for (size_t i = 0; i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], texts[i].size() + 1);
    }
  }
  return widths;
}

std::vector<std::string> TableHeading(const CaseComparison& comparison, const ValueWidths& w) {
  std::string first = PadCell("Rank", kRank) + PadCell("Case", kCase) + PadCell("Wheel", w[0]) +
                      PadCell("Cover", w[1]) + PadCell("Paving", w[2]) + PadCell("fs", w[3]) +
                      PadCell("fc", w[4]) + PadCell("Thickness, mm", 2 * kThick) +
                      PadCell("Main bars", kBars) + std::string(kSteelHeading);
  std::string second = PadCell("", kRank) + PadCell("", kCase) + PadCell("load (kN)", w[0]) +
                       PadCell("(mm)", w[1]) + PadCell("(kN/m^2)", w[2]) + PadCell("(MPa)", w[3]) +
                       PadCell("(MPa)", w[4]) + PadCell("1.000", kThick) +
                       PadCell("3.750", kThick) + PadCell("", kBars);
  for (const int32_t row : kComparedRows) {
    second += PadCellLeft(PrintedSpan(row), kSteel - 1) + " ";
  }
  if (comparison.governed()) {
    second += PadCellLeft(PrintedSpan(comparison.rankingRow()) + "*", kSteel);
  }
  // The checks' column after the steel's, its heading naming the row.
  const size_t steelEnd = first.size();
  const size_t checksAt = std::max(steelEnd, second.size()) + 2;
  first += std::string(checksAt - first.size(), ' ') + "Checks as built at";
  second += std::string(checksAt - second.size(), ' ') +
            "S = " + PrintedSpan(comparison.rankingRow()) + " m";
  return {first, second};
}

std::string TableRow(const CaseComparison& comparison, const ComparedCase& c, int64_t rank,
                     const ValueWidths& widths) {
  std::string row = PadCell(std::to_string(rank), kRank) + PadCell(std::to_string(c.number), kCase);
  const std::array<std::string, 5> values = ValueTexts(c);
  for (size_t i = 0; i < values.size(); ++i) {
    row += PadCell(values[i], widths[i]);
  }
  row += PadCell(Thickness(c.firstThickness), kThick) +
         PadCell(Thickness(c.lastThickness), kThick) + PadCell(BarSizes(c), kBars);
  const size_t steelEnd = row.size() + kSteelHeading.size();
  for (const int64_t steel : c.steel) {
    row += PadCellLeft(Steel(steel), kSteel - 1) + " ";
  }
  if (comparison.governed()) {
    row += PadCellLeft(Steel(c.rankingSteel), kSteel);
  }
  const size_t checksAt = std::max(steelEnd, row.size()) + 2;
  return row + std::string(checksAt - row.size(), ' ') + ChecksText(c);
}

// The page's heading: its title and the notes that say what it shows,
// wrapped to the page. Returns the last note's baseline.
double WriteHeading(cairo_t* cr, double pageWidth, const std::string& title,
                    const std::vector<std::string>& notes) {
  cairo_set_source_rgb(cr, 0, 0, 0);
  SelectFont(cr, kSansFont, kTitleSize, CAIRO_FONT_WEIGHT_BOLD);
  double baseline = kMargin + kTitleSize * 0.75;
  ShowLine(cr, kMargin, baseline, title);
  SelectFont(cr, kSansFont, kNoteSize);
  baseline += kTitleSize * 0.6;
  for (const std::string& note : notes) {
    for (const std::string& line : WrapText(cr, note, pageWidth - 2 * kMargin)) {
      baseline += kNotePitch;
      ShowLine(cr, kMargin, baseline, line);
    }
  }
  return baseline;
}

// What the title block says the page holds.
std::string PageSubject(int32_t page, int32_t pageCount) {
  return "Comparison of the design cases, page " + std::to_string(page) + " of " +
         std::to_string(pageCount);
}

std::string RankedBy(const CaseComparison& comparison) {
  return std::string(comparison.governed() ? "the governing row, S = " : "span ") +
         PrintedSpan(comparison.rankingRow()) + " m";
}

void WriteTablePages(cairo_t* cr, const ComparisonPageSetting& setting,
                     const CaseComparison& comparison, int32_t& page, int32_t pageCount) {
  const std::vector<ComparedCase> ranked = comparison.Ranked();
  const ValueWidths widths = ValueWidthsOf(ranked);
  const std::vector<std::string> heading = TableHeading(comparison, widths);
  // One font size for every page of the table, small enough for its
  // longest line to stay inside the margins.
  size_t longest = std::max(heading[0].size(), heading[1].size());
  for (size_t i = 0; i < ranked.size(); ++i) {
    longest = std::max(longest,
                       TableRow(comparison, ranked[i], static_cast<int64_t>(i) + 1, widths).size());
  }
  const double fontSize = MonoSizeToFit(longest, setting.page.width - 2 * kMargin, kTableFontSize);
  const int32_t perPage = ComparisonRowsPerPage(setting.paper);
  for (size_t first = 0; first < ranked.size(); first += static_cast<size_t>(perPage)) {
    ++page;
    WriteHeading(
        cr, setting.page.width, "Comparison of the design cases: reinforcing steel per m^2 of deck",
        {"Run of " + setting.runStamp + ", " + std::to_string(comparison.caseCount()) +
             " design cases, lightest first by all reinforcing steel at " + RankedBy(comparison) +
             " (equal steel: the thinner slab first, then case order)." +
             (comparison.allEqual() ? " Every case has the same steel and thickness there." : "") +
             " Page " + std::to_string(page) + " of " + std::to_string(pageCount) +
             " of the comparison.",
         "Steel, kg per m^2 of deck, from each row as printed: main bars (1000 / spacing) x m "
         "plus distribution bars (middle half + both outer quarters) x m / span, m the nominal "
         "mass per metre (ASTM A615/A615M); laps, hooks, top and overhang steel and waste left "
         "out. Thickness: actual, mm, at 1.000 and 3.750 m. Main bars: the sizes in the case's "
         "rows (distribution bars one size smaller). -: not designed. Checks as built: OK, or "
         "those the row fails (fs, fc, thickness, spacing, cover)." +
             std::string(comparison.governed() ? " *: the governing row." : "")});
    SelectFont(cr, kMonoFont, fontSize);
    ShowLine(cr, kMargin, kTableTop - 2.2 * kTableLinePitch, heading[0]);
    ShowLine(cr, kMargin, kTableTop - 1.2 * kTableLinePitch, heading[1]);
    const size_t last = std::min(ranked.size(), first + static_cast<size_t>(perPage));
    for (size_t i = first; i < last; ++i) {
      ShowLine(cr, kMargin, kTableTop + static_cast<double>(i - first) * kTableLinePitch,
               TableRow(comparison, ranked[i], static_cast<int64_t>(i) + 1, widths));
    }
    setting.endPage(PageSubject(page, pageCount));
  }
}

void WriteChartPage(cairo_t* cr, const ComparisonPageSetting& setting,
                    const CaseComparison& comparison, int32_t& page, int32_t pageCount) {
  ++page;
  const double top = WriteHeading(
      cr, setting.page.width, "Comparison of the design cases: reinforcing steel against span",
      {"All reinforcing steel per m^2 of deck of every span, as in the table. Page " +
       std::to_string(page) + " of " + std::to_string(pageCount) + " of the comparison."});
  const double chartTop = top + kNotePitch;
  cairo_save(cr);
  cairo_translate(cr, kMargin, chartTop);
  DrawComparisonChart(cr, comparison, setting.page.width - 2 * kMargin,
                      setting.page.height - kTitleBlockBand - chartTop);
  cairo_restore(cr);
  setting.endPage(PageSubject(page, pageCount));
}

std::string SpanLine(const CaseComparison& comparison, int32_t row) {
  const SpanExtremes& s = comparison.spans()[static_cast<size_t>(row)];
  const auto caseText = [](int64_t number) { return number == 0 ? "-" : std::to_string(number); };
  return PadCell(PrintedSpan(row), 7) + PadCellLeft(caseText(s.lightestCase), 6) + " " +
         PadCellLeft(Steel(s.lightestSteel), 8) + "  " + PadCellLeft(caseText(s.heaviestCase), 6) +
         " " + PadCellLeft(Steel(s.heaviestSteel), 8);
}

void WriteSpanPage(cairo_t* cr, const ComparisonPageSetting& setting,
                   const CaseComparison& comparison, int32_t& page, int32_t pageCount) {
  ++page;
  WriteHeading(
      cr, setting.page.width,
      "Comparison of the cases: the lightest and the heaviest of every span",
      {"At each span, the case with the least and the case with the most reinforcing "
       "steel per m^2 of deck (equal steel: the thinner, or thicker, slab; then the first case),",
       "kg/m^2 as in the table. Page " + std::to_string(page) + " of " + std::to_string(pageCount) +
           " of the comparison."});
  SelectFont(cr, kMonoFont, kTableFontSize);
  const std::string heading1 = "Span   Lightest case    Heaviest case  ";
  const std::string heading2 = "(m)     Case  kg/m^2    Case  kg/m^2  ";
  const double columnWidth = 48 * kTableFontSize * kMonoAdvancePerEm;
  for (int32_t column = 0; column < 2; ++column) {
    const double x = kMargin + column * columnWidth;
    ShowLine(cr, x, kTableTop - 2.2 * kTableLinePitch, heading1);
    ShowLine(cr, x, kTableTop - 1.2 * kTableLinePitch, heading2);
    for (int32_t line = 0; line < kSpanRowsPerColumn; ++line) {
      const int32_t row = column * kSpanRowsPerColumn + line;
      if (row < kSpansPerCase) {
        ShowLine(cr, x, kTableTop + line * kTableLinePitch, SpanLine(comparison, row));
      }
    }
  }
  setting.endPage(PageSubject(page, pageCount));
}

}  // namespace

int32_t ComparisonRowsPerPage(PaperSize paper) {
  return LinesPerSheet(GeometryOf(paper), kTableTop, kTableLinePitch);
}

int32_t ComparisonPageCount(PaperSize paper, int64_t caseCount) {
  if (caseCount < 2) {
    return 0;
  }
  // The table's pages, the chart's and the page of every span's extremes.
  return PagesFor(caseCount, ComparisonRowsPerPage(paper)) + 2;
}

int32_t WriteComparisonPages(cairo_t* cr, const ComparisonPageSetting& setting,
                             const CaseComparison& comparison) {
  const int32_t pageCount = ComparisonPageCount(setting.paper, comparison.caseCount());
  if (pageCount == 0) {
    return 0;
  }
  int32_t page = 0;
  WriteTablePages(cr, setting, comparison, page, pageCount);
  WriteChartPage(cr, setting, comparison, page, pageCount);
  WriteSpanPage(cr, setting, comparison, page, pageCount);
  return page;
}

}  // namespace kalvorden
