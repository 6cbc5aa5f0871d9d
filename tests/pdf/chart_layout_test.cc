#include "chart/chart_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/box_geometry.h"

namespace {

using kalvorden::Box, kalvorden::LineLabel, kalvorden::PlacedLabel;

// Each label right of its line, else left of it, else a row down, else left
// out; every label placed inside the plot and clear of the others.
TEST(PlaceLineLabels, InsideThePlotApartOrLeftOut) {
  const Box plot = {40, 50, 540, 350};
  const PlacedLabel out = {false, 0, 0};
  const struct {
    const char* name;
    Box plot;
    std::vector<double> lines;
    std::vector<PlacedLabel> expected;
  } table[] = {
      {"mid-plot: right of its line", plot, {300}, {{true, 303, 0}}},
      {"at the right edge: left of its line", plot, {540}, {{true, 447, 0}}},
      {"too near the right edge for the right side", plot, {500}, {{true, 407, 0}}},
      {"far apart: one row", plot, {100, 400}, {{true, 103, 0}, {true, 403, 0}}},
      {"close together near the end: stacked", plot, {520, 530}, {{true, 427, 0}, {true, 437, 1}}},
      {"wider than the plot", {0, 0, 80, 200}, {40}, {out}},
      {"no row but the one kept for the note", {0, 0, 500, 20}, {100}, {out}},
      {"six at one line, two rows: two a row",
       {0, 0, 500, 40},
       {250, 250, 250, 250, 250, 250},
       {{true, 253, 0}, {true, 157, 0}, {true, 253, 1}, {true, 157, 1}, out, out}},
  };
  constexpr double kWidth = 90;
  // A label's text in DejaVu Sans reaches 0.928 em above its baseline and
  // 0.236 em below.
  constexpr double kAscent = 0.928 * kalvorden::kChartLabelSize;
  constexpr double kDescent = 0.236 * kalvorden::kChartLabelSize;
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    std::vector<LineLabel> labels;
    for (const double line : test.lines) {
      labels.push_back({line, kWidth});
    }
    const std::vector<PlacedLabel> placed = kalvorden::PlaceLineLabels(labels, test.plot);
    ASSERT_EQ(placed.size(), test.expected.size());
    std::vector<Box> boxes;
    for (size_t i = 0; i < placed.size(); ++i) {
      EXPECT_EQ(placed[i].placed, test.expected[i].placed) << i;
      if (!placed[i].placed) {
        continue;
      }
      EXPECT_DOUBLE_EQ(placed[i].left, test.expected[i].left) << i;
      EXPECT_EQ(placed[i].row, test.expected[i].row) << i;
      const double baseline = kalvorden::LabelBaseline(test.plot, placed[i].row);
      const Box box = {placed[i].left, baseline - kAscent, placed[i].left + kWidth,
                       baseline + kDescent};
      EXPECT_TRUE(kalvorden::Contains(test.plot, box)) << i;
      EXPECT_LE(box.bottom, kalvorden::UnplacedNoteBaseline(test.plot) - kAscent) << i;
      for (const Box& other : boxes) {
        EXPECT_FALSE(kalvorden::Overlaps(box, other)) << i;
      }
      boxes.push_back(box);
    }
  }
}

}  // namespace
