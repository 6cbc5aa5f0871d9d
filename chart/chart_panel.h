#pragma once

// What every chart's panel is drawn with: the span scale (1.000 to 3.750 m),
// a value axis of round steps, the frame with its grid, labels and axis
// titles, and the text and colour helpers. Coordinates in points, y
// downward; every figure is a printed one read as a double for drawing.

#include <cairo.h>

#include <functional>
#include <string>

#include "chart/chart_layout.h"

namespace kalvorden {

inline constexpr double kFirstSpan = 1.0;  // m
inline constexpr double kLastSpan = 3.75;  // m
inline constexpr double kSpanTick = 0.25;  // m

struct Colour {
  double red, green, blue;
};
inline constexpr Colour kInk = {0, 0, 0};
inline constexpr Colour kGrid = {0.85, 0.85, 0.85};

void SetColour(cairo_t* cr, Colour colour);
double TextWidthOf(cairo_t* cr, const std::string& text);
// Shows `text` with its baseline at y, starting at x less `alignX` of its
// width (0 left, 0.5 centred, 1 right-aligned).
void ShowText(cairo_t* cr, double x, double y, const std::string& text, double alignX = 0);
// Draws with `draw` on an SVG surface `width` x `height` points into
// `svgOut`; false (and `svgOut` empty) when cairo failed.
bool DrawToSvg(double width, double height, const std::function<void(cairo_t*)>& draw,
               std::string& svgOut);
// A value axis label: "%g" of the value.
std::string TickLabel(double value);

// A value axis from `low` to `high` in steps of 1, 2 or 5 times a power of
// ten, about six steps.
struct Axis {
  double low = 0;
  double high = 1;
  double step = 0.2;

  int Steps() const;
};
Axis NiceAxis(double low, double high);

// One panel as drawn: its frame in the chart and the value range it shows.
struct Panel {
  Box frame;
  Axis axis;

  double X(double span) const {
    return frame.left + (span - kFirstSpan) / (kLastSpan - kFirstSpan) * frame.Width();
  }
  double Y(double value) const {
    return frame.bottom - (value - axis.low) / (axis.high - axis.low) * frame.Height();
  }
};

// The panel's grid, value and span labels, frame, "span S (m)" under it and
// `axisTitle` turned a quarter at the chart's left edge.
void DrawFrame(cairo_t* cr, const Panel& panel, const std::string& axisTitle);

}  // namespace kalvorden
