#include "chart/case_chart.h"

#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "numeric/decimal.h"
#include "report/field_edit.h"

namespace kalvorden {
namespace {

// Wide enough for any value the design can give at the report's decimals,
// so a figure the report shows as asterisks is still plotted where it is.
constexpr int kPlotFieldWidth = 40;

constexpr double kFirstSpan = 1.0;  // m
constexpr double kLastSpan = 3.75;  // m
constexpr double kSpanTick = 0.25;  // m

constexpr double kTitleSize = 11;
constexpr double kLabelSize = 8.5;
constexpr double kPanelGap = 46;
constexpr double kLeftMargin = 58;
constexpr double kRightMargin = 14;
constexpr double kTopMargin = 52;
constexpr double kBottomMargin = 34;

struct Colour {
  double red, green, blue;
};
constexpr Colour kInk = {0, 0, 0};
constexpr Colour kGrid = {0.85, 0.85, 0.85};
constexpr Colour kGap = {0.93, 0.93, 0.93};
constexpr Colour kMinimum = {0.12, 0.35, 0.75};
constexpr Colour kActual = {0.85, 0.4, 0.05};
constexpr Colour kSpacing = {0.1, 0.55, 0.25};
constexpr Colour kBarChange = {0.6, 0.1, 0.5};

// The printed rounding of `value` to `decimals`, read back as a double for
// plotting. False when it cannot be printed at all (beyond 2^100).
bool PrintedAsDouble(Quad value, int decimals, double& plotted) {
  char field[kPlotFieldWidth + 1] = {};
  EditFixed(value, kPlotFieldWidth, decimals, field);
  char* end = nullptr;
  plotted = std::strtod(field, &end);
  return end != field && *end == '\0' && std::isfinite(plotted);
}

void SetColour(cairo_t* cr, Colour colour) {
  cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
}

void ShowText(cairo_t* cr, double x, double y, const std::string& text, double alignX = 0) {
  cairo_text_extents_t extents{};
  cairo_text_extents(cr, text.c_str(), &extents);
  cairo_move_to(cr, x - alignX * extents.x_advance, y);
  cairo_show_text(cr, text.c_str());
}

std::string TickLabel(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// A value axis from `low` to `high` in steps of 1, 2 or 5 times a power of
// ten, about six steps.
struct Axis {
  double low = 0;
  double high = 1;
  double step = 0.2;
};

Axis NiceAxis(double low, double high) {
  if (!(high > low)) {
    low -= 5;
    high += 5;
  }
  const double rough = (high - low) / 6;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    step = factor * power;
    if (step >= rough) {
      break;
    }
  }
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

// One panel: its frame in the chart and the value range it shows.
struct Panel {
  double left, top, width, height;
  Axis axis;
  double X(double span) const {
    return left + (span - kFirstSpan) / (kLastSpan - kFirstSpan) * width;
  }
  double Y(double value) const {
    return top + height - (value - axis.low) / (axis.high - axis.low) * height;
  }
};

void DrawFrame(cairo_t* cr, const Panel& panel, const std::string& yLabel) {
  cairo_set_line_width(cr, 0.5);
  cairo_set_font_size(cr, kLabelSize);
  const int ySteps =
      static_cast<int>(std::lround((panel.axis.high - panel.axis.low) / panel.axis.step));
  for (int i = 0; i <= ySteps; ++i) {
    const double value = panel.axis.low + i * panel.axis.step;
    SetColour(cr, kGrid);
    cairo_move_to(cr, panel.left, panel.Y(value));
    cairo_line_to(cr, panel.left + panel.width, panel.Y(value));
    cairo_stroke(cr);
    SetColour(cr, kInk);
    ShowText(cr, panel.left - 4, panel.Y(value) + 3, TickLabel(value), 1);
  }
  const int xSteps = static_cast<int>(std::lround((kLastSpan - kFirstSpan) / kSpanTick));
  for (int i = 0; i <= xSteps; ++i) {
    const double span = kFirstSpan + i * kSpanTick;
    SetColour(cr, kGrid);
    cairo_move_to(cr, panel.X(span), panel.top);
    cairo_line_to(cr, panel.X(span), panel.top + panel.height);
    cairo_stroke(cr);
    SetColour(cr, kInk);
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", span);
    ShowText(cr, panel.X(span), panel.top + panel.height + 11, text, 0.5);
  }
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 0.8);
  cairo_rectangle(cr, panel.left, panel.top, panel.width, panel.height);
  cairo_stroke(cr);
  ShowText(cr, panel.left + panel.width / 2, panel.top + panel.height + 23, "span S (m)", 0.5);
  cairo_save(cr);
  cairo_move_to(cr, panel.left - 40, panel.top + panel.height / 2);
  cairo_rotate(cr, -std::numbers::pi / 2);
  cairo_text_extents_t extents{};
  cairo_text_extents(cr, yLabel.c_str(), &extents);
  cairo_rel_move_to(cr, -extents.x_advance / 2, 0);
  cairo_show_text(cr, yLabel.c_str());
  cairo_restore(cr);
}

// Grey bands over the spans that could not be designed, half a span step
// either side of each.
void DrawGaps(cairo_t* cr, const Panel& panel, const std::vector<ChartSpan>& spans) {
  const double halfStep = 0.0125;
  SetColour(cr, kGap);
  for (const ChartSpan& s : spans) {
    if (!s.designed) {
      const double from = std::max(kFirstSpan, s.span - halfStep);
      const double to = std::min(kLastSpan, s.span + halfStep);
      cairo_rectangle(cr, panel.X(from), panel.top, panel.X(to) - panel.X(from), panel.height);
    }
  }
  cairo_fill(cr);
}

// A curve through the designed spans, broken where a span was not designed.
// `steps` draws it as a staircase: the value holds until the next span.
template <typename Value>
void DrawCurve(cairo_t* cr, const Panel& panel, const std::vector<ChartSpan>& spans, Value value,
               Colour colour, bool steps) {
  SetColour(cr, colour);
  cairo_set_line_width(cr, 1.2);
  bool drawing = false;
  double lastY = 0;
  for (const ChartSpan& s : spans) {
    if (!s.designed) {
      drawing = false;
      continue;
    }
    const double x = panel.X(s.span);
    const double y = panel.Y(value(s));
    if (!drawing) {
      cairo_move_to(cr, x, y);
      drawing = true;
    } else {
      if (steps) {
        cairo_line_to(cr, x, lastY);
      }
      cairo_line_to(cr, x, y);
    }
    lastY = y;
  }
  cairo_stroke(cr);
}

// A dashed line at each span where the main bar size changes from the last
// designed span before it, labelled "#16 -> #19" at the top of `labelled`.
void DrawBarChanges(cairo_t* cr, const Panel& panel, const std::vector<ChartSpan>& spans,
                    bool labelled) {
  const double dash[] = {3, 2};
  int previousBar = 0;
  int change = 0;
  for (const ChartSpan& s : spans) {
    if (!s.designed) {
      continue;
    }
    if (previousBar != 0 && s.mainBarDesignation != previousBar) {
      SetColour(cr, kBarChange);
      cairo_set_line_width(cr, 0.9);
      cairo_set_dash(cr, dash, 2, 0);
      cairo_move_to(cr, panel.X(s.span), panel.top);
      cairo_line_to(cr, panel.X(s.span), panel.top + panel.height);
      cairo_stroke(cr);
      cairo_set_dash(cr, nullptr, 0, 0);
      if (labelled) {
        char text[48];
        std::snprintf(text, sizeof text, "#%d -> #%d at %.3f m", previousBar, s.mainBarDesignation,
                      s.span);
        cairo_set_font_size(cr, kLabelSize);
        // Labels of changes close together go on alternate lines.
        ShowText(cr, panel.X(s.span) + 3, panel.top + 10 + (change % 2) * 10, text);
      }
      ++change;
    }
    previousBar = s.mainBarDesignation;
  }
}

void DrawLegend(cairo_t* cr, double x, double y, Colour colour, const char* text) {
  SetColour(cr, colour);
  cairo_set_line_width(cr, 2);
  cairo_move_to(cr, x, y - 3);
  cairo_line_to(cr, x + 16, y - 3);
  cairo_stroke(cr);
  SetColour(cr, kInk);
  cairo_set_font_size(cr, kLabelSize);
  ShowText(cr, x + 20, y, text);
}

Axis RangeOf(const std::vector<ChartSpan>& spans, double (*low)(const ChartSpan&),
             double (*high)(const ChartSpan&)) {
  double least = HUGE_VAL;
  double most = -HUGE_VAL;
  for (const ChartSpan& s : spans) {
    if (s.designed) {
      least = std::min(least, low(s));
      most = std::max(most, high(s));
    }
  }
  if (least > most) {
    return {0, 1, 0.2};
  }
  return NiceAxis(least, most);
}

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::string DescribeCaseValues(const DesignCase& c) {
  const auto full = [](Quad value) { return FullDecimal(value, FullDecimalUse::kPrinted); };
  return "wheel load " + full(c.wheelLoad) + " kN, top cover " + full(c.topCover) +
         " mm, future paving " + full(c.futurePaving) + " kN/m^2, fs " + full(c.steelStress) +
         " MPa, fc " + full(c.concreteStress) + " MPa, n " + std::to_string(c.modularRatio) +
         ", continuity factor " + (c.continuityFactor == 1 ? "1.0" : "0.8");
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
    s.designed = d.fault == SpanFault::kNone && PrintedAsDouble(d.minThickness, 2, s.minThickness);
    s.actualThickness = d.actualThickness;
    s.mainBarSpacing = d.mainBarSpacing;
    s.mainBarDesignation = d.mainBarDesignation;
    spans.push_back(s);
  }
  return spans;
}

void DrawCaseChart(cairo_t* cr, const DesignedCase& designed, double width, double height) {
  const std::vector<ChartSpan> spans = ChartSpans(designed);
  cairo_save(cr);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

  // The title: the values on two lines, split after the paving.
  SetColour(cr, kInk);
  cairo_set_font_size(cr, kTitleSize);
  const std::string values = DescribeCaseValues(designed.designCase);
  const size_t split = values.find(", fs ");
  ShowText(cr, width / 2, 16, values.substr(0, split), 0.5);
  ShowText(cr, width / 2, 30, values.substr(split + 2), 0.5);

  const double panelWidth = width - kLeftMargin - kRightMargin;
  const double panelHeight = (height - kTopMargin - kBottomMargin - kPanelGap) / 2;
  const Panel thickness = {
      kLeftMargin, kTopMargin, panelWidth, panelHeight,
      RangeOf(
          spans, [](const ChartSpan& s) { return std::min(s.minThickness, s.actualThickness); },
          [](const ChartSpan& s) { return std::max(s.minThickness, s.actualThickness); })};
  const Panel spacing = {kLeftMargin, kTopMargin + panelHeight + kPanelGap, panelWidth, panelHeight,
                         RangeOf(
                             spans, [](const ChartSpan& s) { return s.mainBarSpacing; },
                             [](const ChartSpan& s) { return s.mainBarSpacing; })};

  for (const Panel* panel : {&thickness, &spacing}) {
    DrawGaps(cr, *panel, spans);
  }
  DrawFrame(cr, thickness, "slab thickness (mm)");
  DrawFrame(cr, spacing, "main bar spacing (mm)");
  DrawBarChanges(cr, thickness, spans, false);
  DrawBarChanges(cr, spacing, spans, true);
  DrawCurve(
      cr, thickness, spans, [](const ChartSpan& s) { return s.actualThickness; }, kActual, true);
  DrawCurve(
      cr, thickness, spans, [](const ChartSpan& s) { return s.minThickness; }, kMinimum, false);
  DrawCurve(
      cr, spacing, spans, [](const ChartSpan& s) { return s.mainBarSpacing; }, kSpacing, true);

  DrawLegend(cr, thickness.left + 8, thickness.top - 6, kMinimum, "minimum thickness");
  DrawLegend(cr, thickness.left + 130, thickness.top - 6, kActual, "actual thickness");
  DrawLegend(cr, spacing.left + 8, spacing.top - 6, kSpacing, "main bar spacing");
  DrawLegend(cr, spacing.left + 130, spacing.top - 6, kBarChange, "main bar size changes");
  if (std::none_of(spans.begin(), spans.end(), [](const ChartSpan& s) { return s.designed; })) {
    SetColour(cr, kInk);
    cairo_set_font_size(cr, kTitleSize);
    ShowText(cr, width / 2, thickness.top + panelHeight / 2, "no span could be designed", 0.5);
  }
  cairo_restore(cr);
}

bool WriteCaseChartSvg(const DesignedCase& designed, std::string& svgOut) {
  constexpr double kWidth = 720;
  constexpr double kHeight = 540;
  svgOut.clear();
  cairo_surface_t* surface =
      cairo_svg_surface_create_for_stream(AppendToString, &svgOut, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  DrawCaseChart(cr, designed, kWidth, kHeight);
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  if (status == CAIRO_STATUS_SUCCESS) {
    status = cairo_surface_status(surface);
  }
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    svgOut.clear();
    return false;
  }
  return true;
}

}  // namespace kalvorden
