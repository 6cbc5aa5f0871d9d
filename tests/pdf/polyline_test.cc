#include "chart/polyline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using kalvorden::PlotPoint;

// The distance of `p` from the polyline through `line`.
double DistanceFromPolyline(const PlotPoint& p, const std::vector<PlotPoint>& line) {
  double least = HUGE_VAL;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    const PlotPoint a = line[i];
    const PlotPoint b = line[i + 1];
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length = dx * dx + dy * dy;
    const double t =
        length > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length, 0.0, 1.0) : 0;
    least = std::min(least, std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)));
  }
  return line.size() == 1 ? std::hypot(p.x - line[0].x, p.y - line[0].y) : least;
}

// A chart's 111 spans across a panel 470 points wide.
std::vector<PlotPoint> Curve(double (*y)(int)) {
  std::vector<PlotPoint> points;
  points.reserve(111);
  for (int i = 0; i < 111; ++i) {
    points.push_back({76.223 + i * 4.2642, y(i)});
  }
  return points;
}

// The points kept are the original ones, first and last among them, in
// order, and every point left out lies within the tolerance of the
// polyline drawn; how many go depends on the curve.
TEST(WithoutNearlyStraightPoints, EveryPointLeftOutWithinTheTolerance) {
  const struct {
    const char* name;
    std::vector<PlotPoint> points;
    size_t kept;  // 0: not checked
  } table[] = {
      {"a straight line", Curve([](int i) { return 250.0 - 0.9 * i; }), 2},
      {"a line printed to hundredths of a millimetre",
       Curve([](int i) { return 250.0 - std::round((0.9 * i + 0.3) * 200) / 200 * 1.79; }), 0},
      {"a zigzag", Curve([](int i) { return 650.0 + (i % 2 == 0 ? 0 : 3.5) + 0.2 * i; }), 111},
      {"a staircase",
       [] {
         std::vector<PlotPoint> steps;
         for (int i = 0; i < 20; ++i) {
           steps.push_back({76.0 + 10 * i, 300.0 - 9 * i});
           steps.push_back({86.0 + 10 * i, 300.0 - 9 * i});
         }
         return steps;
       }(),
       40},
      {"a bump just beyond the tolerance", {{0, 0}, {5, 0.011}, {10, 0}}, 3},
      {"a bump just within it", {{0, 0}, {5, 0.009}, {10, 0}}, 2},
      {"a point that is not a number", {{0, 0}, {5, std::nan("")}, {10, 0}}, 3},
      {"one point", {{3, 4}}, 1},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    const std::vector<PlotPoint> kept =
        kalvorden::WithoutNearlyStraightPoints(test.points, kalvorden::kCurveTolerance);
    if (test.kept != 0) {
      EXPECT_EQ(kept.size(), test.kept);
    } else {
      EXPECT_LT(kept.size(), test.points.size() / 2);
    }
    size_t at = 0;
    for (const PlotPoint& p : kept) {
      while (at < test.points.size() &&
             !(test.points[at].x == p.x && (test.points[at].y == p.y || std::isnan(p.y)))) {
        ++at;
      }
      ASSERT_LT(at, test.points.size()) << "a point kept out of order or not among the points";
    }
    EXPECT_EQ(kept.front().x, test.points.front().x);
    EXPECT_EQ(kept.back().x, test.points.back().x);
    if (std::none_of(kept.begin(), kept.end(),
                     [](const PlotPoint& p) { return std::isnan(p.y); })) {
      for (const PlotPoint& p : test.points) {
        EXPECT_LE(DistanceFromPolyline(p, kept), kalvorden::kCurveTolerance) << p.x << ", " << p.y;
      }
    }
  }
}

}  // namespace
