#include "pdf/comparison_pages.h"

#include <algorithm>
#include <vector>

#include "chart/comparison_chart.h"
#include "numeric/decimal.h"
#include "pdf/sheet_text.h"
#include "report/printed_span.h"

namespace kalvorden {
namespace {

// As the chart page: the printable area inside a half-inch margin, above
// the title block (pdf/page_frame.h).
constexpr double kMargin = 36;
constexpr double kTitleSize = 12;
constexpr double kNoteSize = 8;
constexpr double kNotePitch = 10.5;
// 7 pt DejaVu Sans Mono is 4.2 pt a character: 117 characters across A4.
constexpr double kTableFontSize = 7;
constexpr double kTableLinePitch = 10;
constexpr double kTableTop = 150;  // baseline of the first row
constexpr int32_t kSpanRowsPerColumn = 56;

std::string PadRight(std::string text, size_t width) {
  text.push_back(' ');  // a value wider than its column still stands apart
  if (text.size() < width) {
    text.append(width - text.size(), ' ');
  }
  return text;
}

std::string PadLeft(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string Full(Quad value) {
  return FullDecimal(value, FullDecimalUse::kPrinted);
}

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

// The column widths of the comparison table, in characters.
constexpr size_t kRank = 5, kCase = 6, kLoad = 10, kCover = 8, kValue = 9, kThick = 7, kBars = 14,
                 kSteel = 8;

std::vector<std::string> TableHeading(const CaseComparison& comparison) {
  std::string first = PadRight("Rank", kRank) + PadRight("Case", kCase) + PadRight("Wheel", kLoad) +
                      PadRight("Cover", kCover) + PadRight("Paving", kValue) +
                      PadRight("fs", kValue) + PadRight("fc", kValue) +
                      PadRight("Thickness", 2 * kThick) + PadRight("Main bars", kBars) +
                      "Steel (kg/m^2 of deck) at span (m)";
  std::string second = PadRight("", kRank) + PadRight("", kCase) + PadRight("load (kN)", kLoad) +
                       PadRight("(mm)", kCover) + PadRight("(kN/m^2)", kValue) +
                       PadRight("(MPa)", kValue) + PadRight("(MPa)", kValue) +
                       PadRight("1.000", kThick) + PadRight("3.750", kThick) + PadRight("", kBars);
  for (const int32_t row : kComparedRows) {
    second += PadLeft(PrintedSpan(row), kSteel - 1) + " ";
  }
  if (comparison.governed()) {
    second += PadLeft(PrintedSpan(comparison.rankingRow()) + "*", kSteel);
  }
  return {first, second};
}

std::string TableRow(const CaseComparison& comparison, const ComparedCase& c, int64_t rank) {
  std::string row =
      PadRight(std::to_string(rank), kRank) + PadRight(std::to_string(c.number), kCase) +
      PadRight(Full(c.values.wheelLoad), kLoad) + PadRight(Full(c.values.topCover), kCover) +
      PadRight(Full(c.values.futurePaving), kValue) + PadRight(Full(c.values.steelStress), kValue) +
      PadRight(Full(c.values.concreteStress), kValue) +
      PadRight(Thickness(c.firstThickness), kThick) + PadRight(Thickness(c.lastThickness), kThick) +
      PadRight(BarSizes(c), kBars);
  for (const int64_t steel : c.steel) {
    row += PadLeft(Steel(steel), kSteel - 1) + " ";
  }
  if (comparison.governed()) {
    row += PadLeft(Steel(c.rankingSteel), kSteel);
  }
  return row;
}

// `text` broken between words into lines no wider than `width` in the
// current font.
std::vector<std::string> Wrapped(cairo_t* cr, const std::string& text, double width) {
  std::vector<std::string> lines(1);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    end = end == std::string::npos ? text.size() : end;
    const std::string word = text.substr(start, end - start);
    const std::string longer = lines.back().empty() ? word : lines.back() + " " + word;
    cairo_text_extents_t extents{};
    cairo_text_extents(cr, longer.c_str(), &extents);
    if (extents.x_advance > width && !lines.back().empty()) {
      lines.push_back(word);
    } else {
      lines.back() = longer;
    }
    start = end + 1;
  }
  return lines;
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
    for (const std::string& line : Wrapped(cr, note, pageWidth - 2 * kMargin)) {
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
  const std::vector<std::string> heading = TableHeading(comparison);
  const int32_t perPage = ComparisonRowsPerPage(setting.paper);
  for (size_t first = 0; first < ranked.size(); first += static_cast<size_t>(perPage)) {
    ++page;
    WriteHeading(
        cr, setting.page.width, "Comparison of the design cases: reinforcing steel per m^2 of deck",
        {"Run of " + setting.runStamp + ", " + std::to_string(comparison.caseCount()) +
             " design cases, lightest first by all reinforcing steel at " + RankedBy(comparison) +
             " (equal figures in case order). Page " + std::to_string(page) + " of " +
             std::to_string(pageCount) + " of the comparison.",
         "Steel, kg per m^2 of deck, from each row as printed: main bars (1000 / spacing) x m "
         "plus distribution bars (middle half + both outer quarters) x m / span, m the nominal "
         "mass per metre (ASTM A615/A615M); laps, hooks, top and overhang steel and waste left "
         "out. Thickness: actual, mm. Main bars: the sizes in the case's rows (distribution "
         "bars one size smaller). -: not designed." +
             std::string(comparison.governed() ? " *: the governing row." : "")});
    SelectFont(cr, kMonoFont, kTableFontSize);
    ShowLine(cr, kMargin, kTableTop - 2.2 * kTableLinePitch, heading[0]);
    ShowLine(cr, kMargin, kTableTop - 1.2 * kTableLinePitch, heading[1]);
    const size_t last = std::min(ranked.size(), first + static_cast<size_t>(perPage));
    for (size_t i = first; i < last; ++i) {
      ShowLine(cr, kMargin, kTableTop + static_cast<double>(i - first) * kTableLinePitch,
               TableRow(comparison, ranked[i], static_cast<int64_t>(i) + 1));
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
  return PadRight(PrintedSpan(row), 7) + PadLeft(caseText(s.lightestCase), 6) + " " +
         PadLeft(Steel(s.lightestSteel), 8) + "  " + PadLeft(caseText(s.heaviestCase), 6) + " " +
         PadLeft(Steel(s.heaviestSteel), 8);
}

void WriteSpanPage(cairo_t* cr, const ComparisonPageSetting& setting,
                   const CaseComparison& comparison, int32_t& page, int32_t pageCount) {
  ++page;
  WriteHeading(cr, setting.page.width,
               "Comparison of the design cases: the lightest case of every span",
               {"At each span, the case with the least and the case with the most reinforcing "
                "steel per m^2 of deck (equal figures: the first case),",
                "kg/m^2 as in the table. Page " + std::to_string(page) + " of " +
                    std::to_string(pageCount) + " of the comparison."});
  SelectFont(cr, kMonoFont, kTableFontSize);
  const std::string heading1 = "Span   Lightest case    Heaviest case  ";
  const std::string heading2 = "(m)     Case  kg/m^2    Case  kg/m^2  ";
  const double columnWidth = 48 * kTableFontSize * 1233 / 2048;
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
  const double room = LowestBaseline(GeometryOf(paper)) - kTableTop;
  return static_cast<int32_t>(room / kTableLinePitch) + 1;
}

int32_t ComparisonPageCount(PaperSize paper, int64_t caseCount) {
  if (caseCount < 2) {
    return 0;
  }
  const int64_t perPage = ComparisonRowsPerPage(paper);
  return static_cast<int32_t>((caseCount + perPage - 1) / perPage) + 2;
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
