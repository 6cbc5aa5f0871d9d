#include "chart/case_chart.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <span>

#include "chart/chart_layout.h"
#include "chart/chart_panel.h"
#include "chart/polyline.h"
#include "design/span_quantities.h"
#include "numeric/decimal.h"
#include "report/field_edit.h"
#include "report/printed_span.h"

namespace kalvorden {
namespace {

// Wide enough for any value the design can give at the report's decimals,
// so a figure the report shows as asterisks is still plotted where it is.
constexpr int kPlotFieldWidth = 40;

constexpr Colour kGap = {0.93, 0.93, 0.93};
constexpr Colour kMinimum = {0.12, 0.35, 0.75};
constexpr Colour kActual = {0.85, 0.4, 0.05};
constexpr Colour kSpacing = {0.1, 0.55, 0.25};
constexpr Colour kBarChange = {0.6, 0.1, 0.5};
constexpr Colour kTotalSteel = {0.75, 0.1, 0.1};
constexpr Colour kMainSteel = {0.1, 0.45, 0.75};
constexpr Colour kDistributionSteel = {0.45, 0.45, 0.45};

// A figure a panel plots against span, with its colour and legend. `steps`
// draws it as a staircase: the value holds until the next span.
struct Curve {
  double (*value)(const ChartSpan&);
  Colour colour;
  const char* legend;
  bool steps;
};

// How a panel marks the spans where the main bar size changes: dashed lines
// only, or dashed lines with "#16 -> #19 at 3.725 m" beside them.
enum class BarChangeMarks : uint8_t { kLines, kLabelledLines };

// What one panel shows: its value axis's title, its curves (the first is
// drawn last, on top of the others) and its marks of the bar changes.
struct PanelContent {
  const char* axisTitle;
  std::span<const Curve> curves;
  BarChangeMarks barChanges;
};

constexpr Curve kThicknessCurves[] = {
    {[](const ChartSpan& s) { return s.minThickness; }, kMinimum, "minimum thickness", false},
    {[](const ChartSpan& s) { return s.actualThickness; }, kActual, "actual thickness", true},
};
constexpr Curve kSpacingCurves[] = {
    {[](const ChartSpan& s) { return s.mainBarSpacing; }, kSpacing, "main bar spacing", true},
};
constexpr Curve kSteelCurves[] = {
    {[](const ChartSpan& s) { return s.totalSteel; }, kTotalSteel, "all steel", false},
    {[](const ChartSpan& s) { return s.mainSteel; }, kMainSteel, "main bars", false},
    {[](const ChartSpan& s) { return s.distributionSteel; }, kDistributionSteel,
     "distribution bars", false},
};

// The chart's panels, top to bottom. Each gets an equal share of the
// chart's height, with its frame, axes, legend and the grey gaps; a figure
// added to ChartSpan is one more entry here.
constexpr PanelContent kPanels[] = {
    {"slab thickness (mm)", kThicknessCurves, BarChangeMarks::kLines},
    {"main bar spacing (mm)", kSpacingCurves, BarChangeMarks::kLabelledLines},
    {"steel (kg/m^2 of deck)", kSteelCurves, BarChangeMarks::kLines},
};

// The printed rounding of `value` to `decimals`, read back as a double for
// plotting. False when it cannot be printed at all (beyond 2^100).
bool PrintedAsDouble(Quad value, int decimals, double& plotted) {
  char field[kPlotFieldWidth + 1] = {};
  EditFixed(value, kPlotFieldWidth, decimals, field);
  // The field is a fixed-point numeral after blanks, at most 40 characters:
  // from_chars reads it as strtod would, correctly rounded, and faster.
  const char* at = field;
  while (*at == ' ') {
    ++at;
  }
  const char* end = field + std::strlen(field);
  const auto [stop, error] = std::from_chars(at, end, plotted);
  return at != end && error == std::errc() && stop == end && std::isfinite(plotted);
}

// The axis of a panel: the range of all its curves over the designed spans.
Axis AxisOf(const PanelContent& content, const std::vector<ChartSpan>& spans) {
  double least = HUGE_VAL;
  double most = -HUGE_VAL;
  for (const ChartSpan& s : spans) {
    for (const Curve& curve : content.curves) {
      if (s.designed) {
        least = std::min(least, curve.value(s));
        most = std::max(most, curve.value(s));
      }
    }
  }
  if (least > most) {
    return {0, 1, 0.2};
  }
  return NiceAxis(least, most);
}

// Grey bands over the spans that could not be designed, half a span step
// either side of each, in every panel: one fill (no two bands overlap).
void DrawGaps(cairo_t* cr, std::span<const Panel> panels, const std::vector<ChartSpan>& spans) {
  const double halfStep = 0.0125;
  SetColour(cr, kGap);
  for (const Panel& panel : panels) {
    for (const ChartSpan& s : spans) {
      if (!s.designed) {
        const double from = std::max(kFirstSpanMetres, s.span - halfStep);
        const double to = std::min(kLastSpanMetres, s.span + halfStep);
        cairo_rectangle(cr, panel.X(from), panel.frame.top, panel.X(to) - panel.X(from),
                        panel.frame.Height());
      }
    }
  }
  cairo_fill(cr);
}

// A curve through the designed spans, broken where a span was not designed;
// each piece without its nearly straight points (chart/polyline.h).
void DrawCurve(cairo_t* cr, const Panel& panel, const std::vector<ChartSpan>& spans,
               const Curve& curve) {
  SetColour(cr, curve.colour);
  cairo_set_line_width(cr, 1.2);
  std::vector<PlotPoint> piece;
  const auto addPiece = [&]() {
    const std::vector<PlotPoint> kept = WithoutNearlyStraightPoints(piece, kCurveTolerance);
    for (size_t i = 0; i < kept.size(); ++i) {
      if (i == 0) {
        cairo_move_to(cr, kept[i].x, kept[i].y);
      } else {
        cairo_line_to(cr, kept[i].x, kept[i].y);
      }
    }
    piece.clear();
  };
  for (const ChartSpan& s : spans) {
    if (!s.designed) {
      addPiece();
      continue;
    }
    const double x = panel.X(s.span);
    const double y = panel.Y(curve.value(s));
    if (curve.steps && !piece.empty()) {
      piece.push_back({x, piece.back().y});
    }
    piece.push_back({x, y});
  }
  addPiece();
  cairo_stroke(cr);
}

// A span where the main bar size differs from the last designed span before it.
struct BarChange {
  double span = 0;
  int from = 0;
  int to = 0;
};

std::vector<BarChange> BarChanges(const std::vector<ChartSpan>& spans) {
  std::vector<BarChange> changes;
  int previousBar = 0;
  for (const ChartSpan& s : spans) {
    if (!s.designed) {
      continue;
    }
    if (previousBar != 0 && s.mainBarDesignation != previousBar) {
      changes.push_back({s.span, previousBar, s.mainBarDesignation});
    }
    previousBar = s.mainBarDesignation;
  }
  return changes;
}

// Thin and dotted: apart from the governing row's line and from every curve.
constexpr Stroke kBarChangeStroke = {kBarChange, 0.8, Dash::kDotted, Marker::kNone};

// A line across each panel at each of `spans` (m), all one path stroked
// once in `stroke`: a dash pattern starts afresh at each line either way.
void DrawSpanLines(cairo_t* cr, std::span<const Panel> panels, const std::vector<double>& spans,
                   const Stroke& stroke) {
  if (spans.empty()) {
    return;
  }
  SetStroke(cr, stroke);
  for (const Panel& panel : panels) {
    for (const double span : spans) {
      cairo_move_to(cr, panel.X(span), panel.frame.top);
      cairo_line_to(cr, panel.X(span), panel.frame.bottom);
    }
  }
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
}

// "#16 -> #19 at 3.725 m" beside each change's line, inside the plot, no
// two labels over each other; changes left without room are counted in a
// note at the foot of the plot.
void DrawBarChangeLabels(cairo_t* cr, const Panel& panel, const std::vector<BarChange>& changes) {
  cairo_set_font_size(cr, kChartLabelSize);
  std::vector<std::string> texts;
  std::vector<LineLabel> labels;
  for (const BarChange& change : changes) {
    char text[48];
    std::snprintf(text, sizeof text, "#%d -> #%d at %.3f m", change.from, change.to, change.span);
    texts.emplace_back(text);
    labels.push_back({panel.X(change.span), TextWidthOf(cr, text)});
  }
  const std::vector<PlacedLabel> placed = PlaceLineLabels(labels, panel.frame);
  TextRun run;
  int unplaced = 0;
  for (size_t i = 0; i < placed.size(); ++i) {
    if (placed[i].placed) {
      run.Add(cr, placed[i].left, LabelBaseline(panel.frame, placed[i].row), texts[i]);
    } else {
      ++unplaced;
    }
  }
  if (unplaced > 0) {
    const std::string note =
        std::to_string(unplaced) +
        (unplaced == 1 ? " more main bar size change" : " more main bar size changes") +
        ": see the case's tables";
    run.Add(cr, panel.frame.left + 3, UnplacedNoteBaseline(panel.frame), note);
  }
  SetColour(cr, kBarChange);
  run.Show(cr);
}

// The panel's legend above its frame: a sample of each curve's stroke and
// its name, the bar changes' where the panel labels them, and the governing
// row's where one is marked.
void DrawLegend(cairo_t* cr, const Panel& panel, const PanelContent& content,
                const std::string& governing) {
  struct Entry {
    Stroke stroke;
    std::string text;
  };
  std::vector<Entry> entries;
  for (const Curve& curve : content.curves) {
    entries.push_back({{curve.colour, 2}, curve.legend});
  }
  if (content.barChanges == BarChangeMarks::kLabelledLines) {
    entries.push_back({kBarChangeStroke, "main bar size changes"});
  }
  if (!governing.empty()) {
    entries.push_back({kGoverningRowStroke, governing});
  }
  cairo_set_font_size(cr, kChartLabelSize);
  const double y = panel.frame.top - kLegendAbovePanel;
  double x = panel.frame.left + 8;
  for (const Entry& entry : entries) {
    DrawStrokeSample(cr, x, y, 16, entry.stroke);
    SetColour(cr, kInk);
    ShowText(cr, x + 20, y, entry.text);
    x += 20 + TextWidthOf(cr, entry.text) + 24;
  }
}

// The case's entered values and n with their units, in full, in two groups
// (the loads and the cover, then the materials and the continuity factor):
// {{"wheel load 120 kN", "top cover 50 mm", ...}, {"fs 165 MPa", ...}}.
std::vector<std::vector<std::string>> CaseValueGroups(const DesignCase& c) {
  const auto full = [](Quad value) { return FullDecimal(value, FullDecimalUse::kPrinted); };
  return {{"wheel load " + full(c.wheelLoad) + " kN", "top cover " + full(c.topCover) + " mm",
           "future paving " + full(c.futurePaving) + " kN/m^2"},
          {"fs " + full(c.steelStress) + " MPa", "fc " + full(c.concreteStress) + " MPa",
           "n " + std::to_string(c.modularRatio),
           std::string("continuity factor ") + (c.continuityFactor == 1 ? "1.0" : "0.8")}};
}

// The title's lines and type size: the case's values wrapped to the chart's
// width, the type made smaller only where one item alone is wider.
struct Title {
  std::vector<std::string> lines;
  double size = kChartTitleSize;
};

Title FitTitle(cairo_t* cr, const DesignCase& designCase, double width) {
  cairo_set_font_size(cr, kChartTitleSize);
  Title title;
  title.lines = WrapTitle(CaseValueGroups(designCase), width,
                          [cr](const std::string& text) { return TextWidthOf(cr, text); });
  double widest = 0;
  for (const std::string& line : title.lines) {
    widest = std::max(widest, TextWidthOf(cr, line));
  }
  if (widest > width) {
    title.size = kChartTitleSize * width / widest;
  }
  return title;
}

}  // namespace

std::string DescribeCaseValues(const DesignCase& c) {
  std::string text;
  for (const std::vector<std::string>& group : CaseValueGroups(c)) {
    for (const std::string& item : group) {
      text += (text.empty() ? "" : ", ") + item;
    }
  }
  return text;
}

std::vector<ChartSpan> ChartSpans(const DesignedCase& designed) {
  std::vector<ChartSpan> spans;
  const int32_t count = std::clamp(designed.sweep.spanCount, 0, kSpansPerCase);
  for (int32_t i = 0; i < count; ++i) {
    const SpanDesign& d = designed.spans[i];
    ChartSpan s;
    if (!PrintedAsDouble(d.spanLength, 3, s.span)) {
      continue;
    }
    const SpanQuantities q = QuantitiesOf(d, PrintedSpanMillimetres(i));
    s.designed = d.fault == SpanFault::kNone && q.known &&
                 PrintedAsDouble(d.minThickness, 2, s.minThickness) &&
                 PrintedAsDouble(q.mainSteel, kSteelMassDecimals, s.mainSteel) &&
                 PrintedAsDouble(q.distributionSteel, kSteelMassDecimals, s.distributionSteel) &&
                 PrintedAsDouble(q.totalSteel, kSteelMassDecimals, s.totalSteel);
    s.actualThickness = d.actualThickness;
    s.mainBarSpacing = d.mainBarSpacing;
    s.mainBarDesignation = d.mainBarDesignation;
    spans.push_back(s);
  }
  return spans;
}

CaseChartFurniture::~CaseChartFurniture() {
  for (const auto& recording : recordings_) {
    if (recording.second != nullptr) {
      cairo_surface_destroy(recording.second);
    }
  }
}

cairo_surface_t* CaseChartFurniture::Recording(const Key& key, cairo_t* target, double width,
                                               double height,
                                               const std::function<void(cairo_t*)>& draw) {
  for (const auto& recording : recordings_) {
    if (recording.first == key) {
      return recording.second;
    }
  }
  if (recordings_.size() >= kLayouts) {
    return nullptr;
  }
  // Room around the chart: nothing drawn a little outside it is cut off.
  cairo_surface_t* const surface =
      DrawToRecording({-width, -height, 3 * width, 3 * height}, target, draw);
  recordings_.emplace_back(key, surface);
  return surface;
}

void DrawCaseChart(cairo_t* cr, const DesignedCase& designed, double width, double height,
                   int32_t governingRow, CaseChartFurniture* furniture) {
  DrawCaseChart(cr, designed, ChartSpans(designed), width, height, governingRow, furniture);
}

void DrawCaseChart(cairo_t* cr, const DesignedCase& designed, const std::vector<ChartSpan>& spans,
                   double width, double height, int32_t governingRow,
                   CaseChartFurniture* furniture) {
  cairo_save(cr);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  const Title title = FitTitle(cr, designed.designCase, width);

  // The value axes come first: the widest value label sets where the
  // panels begin.
  std::vector<Axis> axes;
  double widestValue = 0;
  cairo_set_font_size(cr, kChartLabelSize);
  for (const PanelContent& content : kPanels) {
    const Axis axis = AxisOf(content, spans);
    for (int i = 0; i <= axis.Steps(); ++i) {
      widestValue = std::max(widestValue, TextWidthOf(cr, TickLabel(axis.low + i * axis.step)));
    }
    axes.push_back(axis);
  }
  const ChartLayout layout = LayOutChart(width, height, static_cast<int>(title.lines.size()),
                                         static_cast<int>(std::size(kPanels)), widestValue);

  SetColour(cr, kInk);
  cairo_set_font_size(cr, title.size);
  TextRun titleRun;
  for (size_t line = 0; line < title.lines.size(); ++line) {
    titleRun.Add(cr, width / 2, layout.titleBaselines[line], title.lines[line], 0.5);
  }
  titleRun.Show(cr);
  const std::vector<BarChange> changes = BarChanges(spans);
  const bool governs = governingRow >= 0 && governingRow < kSpansPerCase;
  const std::string governing =
      governs ? "governing row, S = " + PrintedSpan(governingRow) + " m" : std::string();
  std::vector<Panel> panels;
  panels.reserve(std::size(kPanels));
  for (size_t i = 0; i < std::size(kPanels); ++i) {
    panels.push_back({layout.panels[i], axes[i]});
  }
  // The fixed part: the same for every case of this layout.
  const auto drawFixed = [&](cairo_t* target) {
    cairo_select_font_face(target, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           CAIRO_FONT_WEIGHT_NORMAL);
    for (size_t i = 0; i < std::size(kPanels); ++i) {
      DrawSpanFrame(target, layout.panels[i], kPanels[i].axisTitle);
      DrawLegend(target, panels[i], kPanels[i], governing);
    }
  };
  // The panels never overlap, so a kind of line that is no text's
  // neighbour in the file is drawn in all of them as one stroke: below the
  // fixed part, as below the frame, the gaps and the value grid; over it,
  // the lines of the bar changes and the governing row.
  DrawGaps(cr, panels, spans);
  DrawValueGrid(cr, panels);
  cairo_surface_t* fixed = nullptr;
  if (furniture != nullptr) {
    const CaseChartFurniture::Key key = {width, height, static_cast<double>(title.lines.size()),
                                         widestValue, static_cast<double>(governingRow)};
    fixed = furniture->Recording(key, cr, width, height, drawFixed);
  }
  cairo_save(cr);
  if (fixed != nullptr) {
    cairo_set_source_surface(cr, fixed, 0, 0);
    cairo_paint(cr);
  } else {
    drawFixed(cr);
  }
  cairo_restore(cr);
  std::vector<double> changeSpans;
  changeSpans.reserve(changes.size());
  for (const BarChange& change : changes) {
    changeSpans.push_back(change.span);
  }
  DrawSpanLines(cr, panels, changeSpans, kBarChangeStroke);
  if (governs) {
    DrawSpanLines(cr, panels, {PrintedSpanMillimetres(governingRow) / 1000.0}, kGoverningRowStroke);
  }
  for (size_t i = 0; i < std::size(kPanels); ++i) {
    const PanelContent& content = kPanels[i];
    DrawValueLabels(cr, panels[i]);
    for (auto curve = content.curves.rbegin(); curve != content.curves.rend(); ++curve) {
      DrawCurve(cr, panels[i], spans, *curve);
    }
    if (content.barChanges == BarChangeMarks::kLabelledLines) {
      DrawBarChangeLabels(cr, panels[i], changes);
    }
  }
  if (std::none_of(spans.begin(), spans.end(), [](const ChartSpan& s) { return s.designed; })) {
    const Box& first = layout.panels.front();
    SetColour(cr, kInk);
    cairo_set_font_size(cr, kChartTitleSize);
    ShowText(cr, (first.left + first.right) / 2, (first.top + first.bottom) / 2,
             "no span could be designed", 0.5);
  }
  cairo_restore(cr);
}

bool WriteCaseChartSvg(const DesignedCase& designed, std::string& svgOut, int32_t governingRow) {
  constexpr double kWidth = 720;
  constexpr double kHeight = 540;
  return DrawToSvg(
      kWidth, kHeight,
      [&](cairo_t* cr) { DrawCaseChart(cr, designed, kWidth, kHeight, governingRow); }, svgOut);
}

}  // namespace kalvorden
