#include "chart/polyline.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace kalvorden {
namespace {

// The square of the distance of `p` from the segment from `a` to `b`.
double SquaredDistanceFromSegment(const PlotPoint& p, const PlotPoint& a, const PlotPoint& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  double t = 0;
  if (lengthSquared > 0) {
    t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / lengthSquared, 0.0, 1.0);
  }
  const double ex = p.x - (a.x + t * dx);
  const double ey = p.y - (a.y + t * dy);
  return ex * ex + ey * ey;
}

}  // namespace

// Douglas and Peucker's halving: between two kept points, the point
// farthest from the segment joining them is kept if it lies beyond the
// tolerance, and the two halves are looked at in turn; otherwise every
// point between goes, each within the tolerance of that segment, which is
// drawn. A nearly straight piece takes one look at each point, but a
// zigzag (the steel curves: a bar spacing's steps, each figure printed)
// would take one look at every point for each point kept; so a corner,
// a point farther than kCorner from the line of its two neighbours, is
// kept first and the halving works between corners. Keeping a point the
// halving would have left out keeps the drawing within the tolerance.
std::vector<PlotPoint> WithoutNearlyStraightPoints(const std::vector<PlotPoint>& points,
                                                   double tolerance) {
  if (points.size() <= 2) {
    return points;
  }
  constexpr double kCorner = 0.1;  // points
  const double squaredTolerance = tolerance * tolerance;
  const double squaredCorner = std::max(kCorner * kCorner, squaredTolerance);
  std::vector<bool> keep(points.size(), false);
  keep.front() = true;
  keep.back() = true;
  std::vector<std::pair<size_t, size_t>> ranges;
  size_t previous = 0;
  for (size_t i = 1; i < points.size(); ++i) {
    if (i + 1 < points.size() &&
        !(SquaredDistanceFromSegment(points[i], points[i - 1], points[i + 1]) <= squaredCorner)) {
      keep[i] = true;
    }
    if (keep[i]) {
      ranges.emplace_back(previous, i);
      previous = i;
    }
  }
  while (!ranges.empty()) {
    const auto [from, to] = ranges.back();
    ranges.pop_back();
    size_t farthest = from;
    double farthestDistance = squaredTolerance;
    for (size_t i = from + 1; i < to; ++i) {
      double distance = SquaredDistanceFromSegment(points[i], points[from], points[to]);
      if (std::isnan(distance)) {
        distance = HUGE_VAL;  // a point that is not a number is kept, not judged
      }
      if (distance > farthestDistance) {
        farthest = i;
        farthestDistance = distance;
      }
    }
    if (farthest != from) {
      keep[farthest] = true;
      ranges.emplace_back(from, farthest);
      ranges.emplace_back(farthest, to);
    }
  }
  std::vector<PlotPoint> kept;
  for (size_t i = 0; i < points.size(); ++i) {
    if (keep[i]) {
      kept.push_back(points[i]);
    }
  }
  return kept;
}

}  // namespace kalvorden
