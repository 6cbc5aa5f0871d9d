#include "web/comparison.h"

#include <algorithm>
#include <vector>

#include "chart/comparison_chart.h"
#include "design/as_built_check.h"
#include "numeric/decimal.h"
#include "report/printed_span.h"
#include "web/case_chart_svg.h"
#include "web/html_page.h"

namespace kalvorden {
namespace {

constexpr double kChartWidth = 720;
constexpr double kChartHeight = 480;

std::string Cell(const std::string& text) {
  return "<td>" + EscapeHtml(text) + "</td>";
}

std::string Value(Quad value) {
  return Cell(FullDecimal(value, FullDecimalUse::kWeb));
}

std::string Steel(int64_t hundredths) {
  return Cell(hundredths == kNoSteel ? "-" : SteelText(hundredths));
}

std::string Thickness(int32_t millimetres) {
  return Cell(millimetres == 0 ? "-" : std::to_string(millimetres));
}

std::string BarSizes(const ComparedCase& compared) {
  std::string text;
  for (const int32_t size : MainBarSizes(compared)) {
    text += text.empty() ? "#" : " #";
    text += std::to_string(size);
  }
  return Cell(text.empty() ? "-" : text);
}

std::string CaseLink(int64_t number, int32_t casesShownInFull) {
  std::string text = std::to_string(number);
  if (number > casesShownInFull) {
    return text;
  }
  return "<a href=\"#case-" + text + "\">" + text + "</a>";
}

std::string RankedAt(const CaseComparison& comparison) {
  return std::string(comparison.governed() ? "the governing row, S = " : "") +
         PrintedSpan(comparison.rankingRow()) + " m";
}

void AppendRankingTable(std::string& html, const CaseComparison& comparison,
                        int32_t casesShownInFull) {
  const std::vector<ComparedCase> ranked = comparison.Ranked();
  const size_t shown = std::min(ranked.size(), static_cast<size_t>(casesShownInFull));
  html +=
      "<table class=\"compare\"><caption>The cases, lightest first by all reinforcing steel "
      "at " +
      EscapeHtml(RankedAt(comparison)) +
      " (equal steel: the thinner slab first, then case order); checks as built: the case's row "
      "there as built (fs, fc, thickness, spacing, cover), OK when it passes every check, "
      "otherwise the checks it fails";
  if (shown < ranked.size()) {
    html += ": the " + std::to_string(shown) + " lightest of " + std::to_string(ranked.size()) +
            " cases; the PDF download compares them all";
  }
  html +=
      "</caption>\n<thead><tr><th scope=\"col\">Rank</th><th scope=\"col\">Case</th>"
      "<th scope=\"col\">Wheel load (kN)</th><th scope=\"col\">Top cover (mm)</th>"
      "<th scope=\"col\">Future paving (kN/m²)</th><th scope=\"col\">fs (MPa)</th>"
      "<th scope=\"col\">fc (MPa)</th><th scope=\"col\">Thickness at 1.000 m (mm)</th>"
      "<th scope=\"col\">Thickness at 3.750 m (mm)</th><th scope=\"col\">Main bars</th>";
  for (const int32_t row : kComparedRows) {
    html += "<th scope=\"col\">Steel at " + PrintedSpan(row) + " m (kg/m²)</th>";
  }
  if (comparison.governed()) {
    html += "<th scope=\"col\">Steel at the governing row, S = " +
            PrintedSpan(comparison.rankingRow()) + " m (kg/m²)</th>";
  }
  html += "<th scope=\"col\">Checks as built</th>";
  html += "</tr></thead>\n<tbody>\n";
  for (size_t i = 0; i < shown; ++i) {
    const ComparedCase& c = ranked[i];
    html += "<tr><td>" + std::to_string(i + 1) + "</td><td>" +
            CaseLink(c.number, casesShownInFull) + "</td>" + Value(c.values.wheelLoad) +
            Value(c.values.topCover) + Value(c.values.futurePaving) + Value(c.values.steelStress) +
            Value(c.values.concreteStress) + Thickness(c.firstThickness) +
            Thickness(c.lastThickness) + BarSizes(c);
    for (const int64_t steel : c.steel) {
      html += Steel(steel);
    }
    if (comparison.governed()) {
      html += Steel(c.rankingSteel);
    }
    html += Cell(c.rankingChecked ? CheckNames(c.rankingFailures) : "-") + "</tr>\n";
  }
  html += "</tbody></table>\n";
}

void AppendChart(std::string& html, const CaseComparison& comparison) {
  std::string svg;
  if (!WriteComparisonChartSvg(comparison, kChartWidth, kChartHeight, svg)) {
    return;
  }
  const std::string inlined = InlineSvg(std::move(svg), "cmp-");
  if (inlined.empty()) {
    return;
  }
  html += "<figure class=\"chart\">" + inlined +
          "<figcaption>All reinforcing steel per m² of deck against span, " +
          (comparison.curves().empty()
               ? std::string("the band from the least to the most of each span with the "
                             "lightest and the heaviest case")
               : std::string("every case")) +
          "</figcaption></figure>\n";
}

void AppendSpanTable(std::string& html, const CaseComparison& comparison,
                     int32_t casesShownInFull) {
  html +=
      "<details><summary>The lightest and the heaviest case of every span</summary>\n"
      "<table class=\"compare\"><caption>At each span, the case with the least and the case "
      "with the most reinforcing steel (equal steel: the thinner, or thicker, slab; then the first "
      "case)</caption>\n"
      "<thead><tr><th scope=\"col\">Span (m)</th><th scope=\"col\">Lightest case</th>"
      "<th scope=\"col\">Its steel (kg/m²)</th><th scope=\"col\">Heaviest case</th>"
      "<th scope=\"col\">Its steel (kg/m²)</th></tr></thead>\n<tbody>\n";
  for (int32_t row = 0; row < kSpansPerCase; ++row) {
    const SpanExtremes& s = comparison.spans()[static_cast<size_t>(row)];
    const auto caseCell = [&](int64_t number) {
      return "<td>" + (number == 0 ? std::string("-") : CaseLink(number, casesShownInFull)) +
             "</td>";
    };
    html += "<tr>" + Cell(PrintedSpan(row)) + caseCell(s.lightestCase) + Steel(s.lightestSteel) +
            caseCell(s.heaviestCase) + Steel(s.heaviestSteel) + "</tr>\n";
  }
  html += "</tbody></table></details>\n";
}

}  // namespace

std::string ComparisonHtml(const CaseComparison& comparison, int32_t casesShownInFull) {
  std::string html =
      "<section class=\"comparison\" id=\"comparison\" aria-labelledby=\"comparison-title\">\n"
      "<h2 id=\"comparison-title\">Comparison of the cases</h2>\n"
      "<p>All reinforcing steel per m² of deck, kg/m², as the CSV table's column of it: from "
      "each row as printed, main bars (1000 / spacing) × m plus distribution bars (middle half "
      "+ both outer quarters) × m / span, m the bar's nominal mass per metre (ASTM A615/A615M). "
      "Laps, hooks, top and overhang steel and waste are left out: the figures compare the "
      "cases, they are not a bar list. Main bars: the sizes in the case's rows (distribution "
      "bars one size smaller); -: the span could not be designed.</p>\n";
  AppendRankingTable(html, comparison, casesShownInFull);
  AppendChart(html, comparison);
  AppendSpanTable(html, comparison, casesShownInFull);
  return html + "</section>\n";
}

}  // namespace kalvorden
