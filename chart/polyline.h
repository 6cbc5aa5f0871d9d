#pragma once

// A chart's curve as few points as draw it: a point that lies within a
// hundredth of a point of the line between the points kept either side of
// it adds nothing a screen or a printer shows (a 1200-dpi printer's dot is
// six hundredths), but costs a PDF a line of coordinates. A curve of
// printed figures is straight but for the rounding of the figures (the
// minimum thickness, linear in the span, printed to hundredths of a
// millimetre: under a hundredth of a point on the page), so most of its
// 111 points go; a 3125-case package's chart pages hold a fifth fewer
// numbers.

#include <vector>

namespace kalvorden {

struct PlotPoint {
  double x = 0;
  double y = 0;
};

// The points of a polyline through `points` that leaves out every point
// within `tolerance` of the line between the points kept either side of
// it: each point left out is that close to the polyline drawn. The first
// and last points are always kept.
std::vector<PlotPoint> WithoutNearlyStraightPoints(const std::vector<PlotPoint>& points,
                                                   double tolerance);

// What WithoutNearlyStraightPoints leaves out of a chart's curves.
inline constexpr double kCurveTolerance = 0.01;  // points

}  // namespace kalvorden
