#pragma once

// What every chart's panel is drawn with: the span scale (1.000 to 3.750 m),
// a value axis of round steps, the frame with its grid, labels and axis
// titles, and the text and colour helpers. Coordinates in points, y
// downward; every figure is a printed one read as a double for drawing.

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_layout.h"

namespace kalvorden {

inline constexpr double kFirstSpanMetres = 1.0;  // m
inline constexpr double kLastSpanMetres = 3.75;  // m
inline constexpr double kSpanTick = 0.25;        // m

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

// Pieces of text in one font gathered and shown by one call, in the colour
// set when shown. A PDF analyses and writes each drawing operation on its
// own (in cairo 1.16 about a microsecond each, and the operations of a
// painted form once more on every page that paints it), so a chart's
// dozens of labels cost one operation rather than dozens. Each piece's
// glyphs stand where ShowText would set them, from the same fixed-point
// start, and carry its text and clusters, so the file maps them to the
// same characters. In the file the run is one text object whose pieces
// after the first are placed relative to the one before, as cairo places
// consecutive pieces shown one by one; a piece shown after a stroke or in
// another colour begins a text object of its own, placed where it stands.
// A piece in another font than the run's first is shown on its own at once.
class TextRun {
 public:
  TextRun() = default;
  TextRun(const TextRun&) = delete;
  TextRun& operator=(const TextRun&) = delete;
  ~TextRun();

  // Adds `text` with its baseline at y, starting at x less `alignX` of its
  // width, in the font selected on `cr`.
  void Add(cairo_t* cr, double x, double y, std::string_view text, double alignX = 0);
  // Shows the pieces added and empties the run; the run's font must be
  // the one selected.
  void Show(cairo_t* cr);
  bool empty() const { return glyphs_.empty(); }

 private:
  cairo_scaled_font_t* font_ = nullptr;  // referenced while the run holds pieces
  std::string text_;
  std::vector<cairo_glyph_t> glyphs_;
  std::vector<cairo_text_cluster_t> clusters_;
};
// Draws with `draw` on an SVG surface `width` x `height` points into
// `svgOut`; false (and `svgOut` empty) when cairo failed.
bool DrawToSvg(double width, double height, const std::function<void(cairo_t*)>& draw,
               std::string& svgOut);
// Draws with `draw` into a recording surface over `extents`, to be painted
// again and again (a PDF writes it once, as a form). With `fontsOf`, the
// recording takes the font options of that context's target (a PDF's
// advances are not hinted; a recording's would be), so every glyph stands
// where it stands when drawn there. Null when cairo failed.
cairo_surface_t* DrawToRecording(const cairo_rectangle_t& extents, cairo_t* fontsOf,
                                 const std::function<void(cairo_t*)>& draw);
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
    return frame.left +
           (span - kFirstSpanMetres) / (kLastSpanMetres - kFirstSpanMetres) * frame.Width();
  }
  double Y(double value) const {
    return frame.bottom - (value - axis.low) / (axis.high - axis.low) * frame.Height();
  }
};

// How a line is stroked, so that lines stay apart in a black-and-white
// print as well as in colour: its colour, width, dash pattern and the
// marker set along it.
enum class Dash : uint8_t { kSolid, kDashed, kDotted, kDashDot, kLongDash, kGoverningRow };
enum class Marker : uint8_t { kNone, kCircle, kSquare, kTriangle, kCross };
struct Stroke {
  Colour colour;
  double width = 1.2;
  Dash dash = Dash::kSolid;
  Marker marker = Marker::kNone;
};
inline constexpr int kLineDashes = 5;   // kSolid to kLongDash
inline constexpr int kLineMarkers = 5;  // kNone to kCross
// The governing row's line: black, long dash and dot, thicker than the
// curves. No other line of any chart is drawn in this pattern.
inline constexpr Stroke kGoverningRowStroke = {kInk, 1.5, Dash::kGoverningRow, Marker::kNone};

void SetStroke(cairo_t* cr, const Stroke& stroke);
// The marker centred on (x, y), drawn solid in the current colour.
void DrawMarker(cairo_t* cr, double x, double y, Marker marker);
// A legend's sample of `stroke`: a line `length` long from x, 3 pt above
// `baseline`, with its marker in the middle.
void DrawStrokeSample(cairo_t* cr, double x, double baseline, double length, const Stroke& stroke);
// A vertical line across the panel at `x` (the governing row's, in
// kGoverningRowStroke).
void DrawSpanLine(cairo_t* cr, const Box& frame, double x, const Stroke& stroke);

// The panel's grid, value and span labels, frame, "span S (m)" under it and
// `axisTitle` turned a quarter at the chart's left edge.
void DrawFrame(cairo_t* cr, const Panel& panel, const std::string& axisTitle);

// The same frame in the parts a run of charts share or not, to be drawn in
// this order: the value axes' grid lines (they end under the frames), of
// any number of panels in one stroke; the part fixed by the frame alone
// (the span grid and labels, the frame, "span S (m)", the axis title); the
// value labels.
void DrawValueGrid(cairo_t* cr, std::span<const Panel> panels);
void DrawSpanFrame(cairo_t* cr, const Box& frame, const std::string& axisTitle);
void DrawValueLabels(cairo_t* cr, const Panel& panel);

}  // namespace kalvorden
