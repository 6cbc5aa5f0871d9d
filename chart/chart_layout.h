#pragma once

// Where the parts of a case's chart go: the title's lines, the panels
// stacked under it, and the labels of the dashed lines that mark where the
// main bar size changes. Plain geometry in points (y grows downward), with
// the text measured by the caller, so that it can be checked without
// drawing anything.

#include <functional>
#include <string>
#include <vector>

namespace kalvorden {

// Text sizes (pt) and the room kept for each piece of text around a panel.
inline constexpr double kChartTitleSize = 11;
inline constexpr double kChartLabelSize = 8.5;
inline constexpr double kChartTitlePitch = 14;          // between title baselines
inline constexpr double kChartTitleFirstBaseline = 16;  // from the chart's top
// The value axis's title, turned a quarter, has its baseline this far from
// the chart's left edge; its glyphs reach about 8 pt left of it.
inline constexpr double kAxisTitleBaseline = 12;
inline constexpr double kValueLabelGap = 4;     // value labels end this far left of the frame
inline constexpr double kLegendAbovePanel = 6;  // legend baseline above the frame
inline constexpr double kSpanLabelBelow = 11;   // span labels' baseline below the frame
inline constexpr double kSpanTitleBelow = 23;   // "span S (m)" baseline below the frame

// A rectangle: left <= right, top <= bottom.
struct Box {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;

  double Width() const { return right - left; }
  double Height() const { return bottom - top; }
};

// The title's baselines and the panels' frames, top to bottom.
struct ChartLayout {
  std::vector<double> titleBaselines;
  std::vector<Box> panels;
};

// The layout of a chart of `width` by `height` with `titleLines` lines of
// title and `panelCount` panels of equal height under it, whose value labels
// are at most `valueLabelWidth` wide. Every piece of text around the panels
// (legends above, span labels and axis titles below and left) stays inside
// the chart's rectangle.
ChartLayout LayOutChart(double width, double height, int titleLines, int panelCount,
                        double valueLabelWidth);

// The title's lines: each group of items starts a line of its own, its items
// joined by ", ", and a group wider than `width` is broken between items (a
// broken line keeps its comma). An item wider than `width` stands alone on
// its line; the caller shrinks the type to fit it.
using TextWidth = std::function<double(const std::string&)>;
std::vector<std::string> WrapTitle(const std::vector<std::vector<std::string>>& groups,
                                   double width, const TextWidth& measure);

// Labels of vertical lines in a plot ("#16 -> #19 at 3.725 m" beside the
// dashed line where the main bar size changes), in rows from the top of the
// plot down. A label goes right of its line; where it would run past the
// plot's right edge it goes left of its line, right-aligned to it; where a
// row already has a label in the way, the next row is tried. No label
// crosses the plot's edges or another label.
struct LineLabel {
  double lineX = 0;  // the line the label belongs to
  double width = 0;  // its text's advance
};
struct PlacedLabel {
  bool placed = false;  // false: no row had room for it
  double left = 0;      // where its text starts
  int row = 0;
};
std::vector<PlacedLabel> PlaceLineLabels(const std::vector<LineLabel>& labels, const Box& plot);

// The baseline of label row `row` in `plot`, and the baseline of the line
// under the last row kept for saying how many labels found no room.
double LabelBaseline(const Box& plot, int row);
double UnplacedNoteBaseline(const Box& plot);

}  // namespace kalvorden
