#include "chart/comparison_chart.h"

#include <algorithm>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/chart_panel.h"
#include "report/printed_span.h"

namespace kalvorden {
namespace {

// Twelve colours that stay apart in a colour print; in black and white
// each of the up to 25 lines is told apart by its dash pattern and marker.
constexpr Colour kPalette[] = {{0.12, 0.35, 0.75}, {0.85, 0.4, 0.05}, {0.1, 0.55, 0.25},
                               {0.75, 0.1, 0.1},   {0.5, 0.25, 0.7},  {0.45, 0.3, 0.2},
                               {0.85, 0.35, 0.65}, {0.4, 0.4, 0.4},   {0.6, 0.6, 0.1},
                               {0.1, 0.6, 0.7},    {0.3, 0.2, 0.5},   {0.0, 0.3, 0.3}};
constexpr size_t kPaletteSize = std::size(kPalette);
constexpr Colour kLightest = {0.1, 0.55, 0.25};
constexpr Colour kHeaviest = {0.75, 0.1, 0.1};
constexpr Colour kBand = {0.82, 0.86, 0.93};
constexpr Colour kRankingMark = {0.6, 0.1, 0.5};

constexpr double kLegendSwatch = 16;
constexpr double kLegendGap = 18;

// How one line is drawn and named in the legend.
struct LineStyle {
  Stroke stroke;
  std::string legend;
  bool fill = false;  // the band: a filled sample
};

// The i-th case line (from 0): every pair of dash pattern and marker once,
// so 25 lines differ without colour.
LineStyle CaseStyle(size_t index, int64_t caseNumber) {
  return {{kPalette[index % kPaletteSize], 1.2, static_cast<Dash>(index % kLineDashes),
           static_cast<Marker>(index / kLineDashes % kLineMarkers)},
          "case " + std::to_string(caseNumber)};
}

double SpanOf(size_t row) {
  return PrintedSpanMillimetres(static_cast<int32_t>(row)) / 1000.0;
}

// A printed figure read as a double for drawing.
double Kilograms(int64_t hundredths) {
  return static_cast<double>(hundredths) / 100;
}

// A curve through the spans that have a figure, broken where one has none,
// with its marker every tenth span (staggered by `index`, so markers of
// lines that run together do not sit on each other).
void DrawSteelCurve(cairo_t* cr, const Panel& panel, const SteelCurve& curve, const Stroke& stroke,
                    size_t index) {
  SetStroke(cr, stroke);
  bool drawing = false;
  for (size_t i = 0; i < curve.steel.size(); ++i) {
    if (curve.steel[i] == kNoSteel) {
      drawing = false;
      continue;
    }
    const double x = panel.X(SpanOf(i));
    const double y = panel.Y(Kilograms(curve.steel[i]));
    if (drawing) {
      cairo_line_to(cr, x, y);
    } else {
      cairo_move_to(cr, x, y);
      drawing = true;
    }
  }
  cairo_stroke(cr);
  for (size_t i = (2 * index + 3) % 10; i < curve.steel.size(); i += 10) {
    if (curve.steel[i] != kNoSteel) {
      DrawMarker(cr, panel.X(SpanOf(i)), panel.Y(Kilograms(curve.steel[i])), stroke.marker);
    }
  }
}

// The band from the least to the most steel of each span, in pieces over
// the runs of spans that some case designed.
void DrawBand(cairo_t* cr, const Panel& panel, const CaseComparison& comparison) {
  const auto& spans = comparison.spans();
  SetColour(cr, kBand);
  cairo_set_dash(cr, nullptr, 0, 0);
  size_t i = 0;
  while (i < spans.size()) {
    if (spans[i].lightestSteel == kNoSteel) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < spans.size() && spans[end].lightestSteel != kNoSteel) {
      ++end;
    }
    cairo_move_to(cr, panel.X(SpanOf(i)), panel.Y(Kilograms(spans[i].lightestSteel)));
    for (size_t k = i; k < end; ++k) {
      cairo_line_to(cr, panel.X(SpanOf(k)), panel.Y(Kilograms(spans[k].lightestSteel)));
    }
    for (size_t k = end; k-- > i;) {
      cairo_line_to(cr, panel.X(SpanOf(k)), panel.Y(Kilograms(spans[k].heaviestSteel)));
    }
    cairo_close_path(cr);
    cairo_fill(cr);
    i = end;
  }
}

// The lines the chart draws, in drawing order, with their styles.
struct ChartLines {
  std::vector<const SteelCurve*> curves;
  std::vector<LineStyle> styles;
  bool band = false;
};

ChartLines LinesOf(const CaseComparison& comparison) {
  ChartLines lines;
  if (!comparison.curves().empty()) {
    for (size_t i = 0; i < comparison.curves().size(); ++i) {
      lines.curves.push_back(&comparison.curves()[i]);
      lines.styles.push_back(CaseStyle(i, comparison.curves()[i].caseNumber));
    }
    return lines;
  }
  lines.band = true;
  const std::string at = " at " + PrintedSpan(comparison.rankingRow()) + " m";
  if (comparison.allEqual()) {
    // No case is lighter than another: one curve, named for what it is.
    lines.curves = {comparison.lightest()};
    lines.styles = {
        {{kLightest, 1.2, Dash::kSolid, Marker::kCircle},
         "every case equal" + at + ": " +
             SteelText(comparison.lightest()->steel[static_cast<size_t>(comparison.rankingRow())]) +
             " kg/m^2 (case " + std::to_string(comparison.lightest()->caseNumber) + " drawn)"}};
  } else if (comparison.lightest() != nullptr) {
    lines.curves = {comparison.heaviest(), comparison.lightest()};
    lines.styles = {
        {{kHeaviest, 1.2, Dash::kDashed, Marker::kSquare},
         "case " + std::to_string(comparison.heaviest()->caseNumber) + ", the heaviest" + at},
        {{kLightest, 1.2, Dash::kSolid, Marker::kCircle},
         "case " + std::to_string(comparison.lightest()->caseNumber) + ", the lightest" + at}};
  }
  return lines;
}

// The value axis: the range of every figure drawn.
Axis SteelAxis(const CaseComparison& comparison) {
  int64_t least = INT64_MAX;
  int64_t most = kNoSteel;
  for (const SpanExtremes& span : comparison.spans()) {
    if (span.lightestSteel != kNoSteel) {
      least = std::min(least, span.lightestSteel);
      most = std::max(most, span.heaviestSteel);
    }
  }
  return most == kNoSteel ? Axis{0, 1, 0.2} : NiceAxis(Kilograms(least), Kilograms(most));
}

// The legend's entries wrapped into rows no wider than `width`.
std::vector<std::vector<size_t>> LegendRows(cairo_t* cr, const std::vector<LineStyle>& entries,
                                            double width) {
  std::vector<std::vector<size_t>> rows;
  double x = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const double advance = kLegendSwatch + 4 + TextWidthOf(cr, entries[i].legend) + kLegendGap;
    // An entry wider than the chart still gets a row of its own.
    if (rows.empty() || (x + advance - kLegendGap > width && !rows.back().empty())) {
      rows.emplace_back();
      x = 0;
    }
    rows.back().push_back(i);
    x += advance;
  }
  return rows;
}

void DrawLegendRow(cairo_t* cr, const std::vector<LineStyle>& entries,
                   const std::vector<size_t>& row, double baseline) {
  double x = 0;
  for (const size_t i : row) {
    if (entries[i].fill) {
      SetColour(cr, entries[i].stroke.colour);
      cairo_rectangle(cr, x, baseline - 7, kLegendSwatch, 8);
      cairo_fill(cr);
    } else {
      DrawStrokeSample(cr, x, baseline, kLegendSwatch, entries[i].stroke);
    }
    SetColour(cr, kInk);
    ShowText(cr, x + kLegendSwatch + 4, baseline, entries[i].legend);
    x += kLegendSwatch + 4 + TextWidthOf(cr, entries[i].legend) + kLegendGap;
  }
}

// The span the cases are ranked at: the governing row's line (or, with no
// span given, a thin dotted one at 3.750 m) and its name inside the plot,
// on the side with room.
void DrawRankingMark(cairo_t* cr, const Panel& panel, const CaseComparison& comparison) {
  const double x = panel.X(SpanOf(static_cast<size_t>(comparison.rankingRow())));
  DrawSpanLine(cr, panel.frame, x,
               comparison.governed() ? kGoverningRowStroke
                                     : Stroke{kRankingMark, 0.9, Dash::kDotted, Marker::kNone});
  if (comparison.governed()) {
    SetColour(cr, kInk);
  }
  const std::string label = std::string(comparison.governed() ? "governing row " : "ranked at ") +
                            PrintedSpan(comparison.rankingRow()) + " m";
  const bool leftOfLine = x > (panel.frame.left + panel.frame.right) / 2;
  ShowText(cr, leftOfLine ? x - 3 : x + 3, panel.frame.top + 11, label, leftOfLine ? 1 : 0);
}

}  // namespace

void DrawComparisonChart(cairo_t* cr, const CaseComparison& comparison, double width,
                         double height) {
  cairo_save(cr);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  const ChartLines lines = LinesOf(comparison);
  std::vector<LineStyle> entries = lines.styles;
  if (lines.band) {
    entries.insert(entries.begin(), {{kBand},
                                     "least to most steel of the " +
                                         std::to_string(comparison.caseCount()) + " cases",
                                     true});
  }
  if (comparison.governed()) {
    entries.push_back(
        {kGoverningRowStroke, "governing row, S = " + PrintedSpan(comparison.rankingRow()) + " m"});
  }
  cairo_set_font_size(cr, kChartLabelSize);
  const std::vector<std::vector<size_t>> legend = LegendRows(cr, entries, width);
  const Axis axis = SteelAxis(comparison);
  double widestValue = 0;
  for (int i = 0; i <= axis.Steps(); ++i) {
    widestValue = std::max(widestValue, TextWidthOf(cr, TickLabel(axis.low + i * axis.step)));
  }
  const ChartLayout layout =
      LayOutChart(width, height, 1 + static_cast<int>(legend.size()), 1, widestValue);

  SetColour(cr, kInk);
  cairo_set_font_size(cr, kChartTitleSize);
  const std::string title = "All reinforcing steel per m^2 of deck against span, " +
                            std::to_string(comparison.caseCount()) + " design cases";
  const double titleWidth = TextWidthOf(cr, title);
  if (titleWidth > width) {
    cairo_set_font_size(cr, kChartTitleSize * width / titleWidth);
  }
  ShowText(cr, width / 2, layout.titleBaselines[0], title, 0.5);
  cairo_set_font_size(cr, kChartLabelSize);
  for (size_t row = 0; row < legend.size(); ++row) {
    DrawLegendRow(cr, entries, legend[row], layout.titleBaselines[row + 1]);
  }

  const Panel panel = {layout.panels.front(), axis};
  if (lines.band) {
    DrawBand(cr, panel, comparison);
  }
  DrawFrame(cr, panel, "steel (kg/m^2 of deck)");
  for (size_t i = 0; i < lines.curves.size(); ++i) {
    DrawSteelCurve(cr, panel, *lines.curves[i], lines.styles[i].stroke, i);
  }
  cairo_set_dash(cr, nullptr, 0, 0);
  cairo_set_font_size(cr, kChartLabelSize);
  DrawRankingMark(cr, panel, comparison);
  cairo_restore(cr);
}

bool WriteComparisonChartSvg(const CaseComparison& comparison, double width, double height,
                             std::string& svgOut) {
  return DrawToSvg(
      width, height, [&](cairo_t* cr) { DrawComparisonChart(cr, comparison, width, height); },
      svgOut);
}

}  // namespace kalvorden
