#include "chart/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kalvorden {
namespace {

// The room (pt) between the last title line's baseline and the first
// panel's frame: the title's descent, a gap and the legend above the frame.
constexpr double kTitleToPanel = 22;
// Between two panels: the upper one's span labels and axis title, and the
// lower one's legend.
constexpr double kPanelGap = 46;
// Below the last panel: its span labels and axis title.
constexpr double kBottomRoom = 30;
// Right of the panels: half of the last span label, centred on the frame.
constexpr double kRightRoom = 14;
// The value axis's title reaches 2 pt right of its baseline (its descent).
constexpr double kAxisTitleDescent = 2;
constexpr double kAxisTitleToValues = 6;

// A label's text in DejaVu Sans reaches 0.928 em above its baseline and
// 0.236 em below, which is also the box a PDF reader gives each word.
constexpr double kLabelAscent = 0.928 * kChartLabelSize;
constexpr double kLabelDescent = 0.236 * kChartLabelSize;
constexpr double kLabelPitch = 10.5;  // a little more than ascent + descent
constexpr double kLabelInset = 2;     // between a label and the plot's frame
constexpr double kLabelToLine = 3;    // between a label and its line
constexpr double kLabelSpacing = 4;   // between two labels on one row

// Rows of labels that fit in `plot`, the note's row included.
int LabelRowsWithNote(const Box& plot) {
  const double room = plot.Height() - 2 * kLabelInset - kLabelAscent - kLabelDescent;
  return room < 0 ? 0 : static_cast<int>(std::floor(room / kLabelPitch)) + 1;
}

}  // namespace

ChartLayout LayOutChart(double width, double height, int titleLines, int panelCount,
                        double valueLabelWidth) {
  ChartLayout layout;
  for (int line = 0; line < titleLines; ++line) {
    layout.titleBaselines.push_back(kChartTitleFirstBaseline + line * kChartTitlePitch);
  }
  const double firstTop =
      (titleLines > 0 ? layout.titleBaselines.back() : kChartTitleFirstBaseline) + kTitleToPanel;
  const double left = kAxisTitleBaseline + kAxisTitleDescent + kAxisTitleToValues +
                      valueLabelWidth + kValueLabelGap;
  const double right = std::max(left, width - kRightRoom);
  const double room = height - kBottomRoom - firstTop - (panelCount - 1) * kPanelGap;
  const double panelHeight = panelCount > 0 ? std::max(0.0, room / panelCount) : 0;
  for (int panel = 0; panel < panelCount; ++panel) {
    const double top = firstTop + panel * (panelHeight + kPanelGap);
    layout.panels.push_back({left, top, right, top + panelHeight});
  }
  return layout;
}

std::vector<std::string> WrapTitle(const std::vector<std::vector<std::string>>& groups,
                                   double width, const TextWidth& measure) {
  std::vector<std::string> lines;
  for (const std::vector<std::string>& items : groups) {
    std::string line;
    for (const std::string& item : items) {
      std::string longer = line;
      longer.append(", ").append(item);
      if (line.empty()) {
        line = item;
      } else if (measure(longer) <= width) {
        line = std::move(longer);
      } else {
        lines.push_back(line + ",");
        line = item;
      }
    }
    if (!line.empty()) {
      lines.push_back(line);
    }
  }
  return lines;
}

double LabelBaseline(const Box& plot, int row) {
  return plot.top + kLabelInset + kLabelAscent + row * kLabelPitch;
}

double UnplacedNoteBaseline(const Box& plot) {
  return LabelBaseline(plot, std::max(0, LabelRowsWithNote(plot) - 1));
}

std::vector<PlacedLabel> PlaceLineLabels(const std::vector<LineLabel>& labels, const Box& plot) {
  // The last row that fits is kept for the note on labels without room.
  const int rows = std::max(0, LabelRowsWithNote(plot) - 1);
  // Per row, the stretches of x its labels take, spacing included.
  std::vector<std::vector<std::pair<double, double>>> taken(static_cast<size_t>(rows));
  auto fits = [&](double left, double width, int row) {
    if (left < plot.left + kLabelInset || left + width > plot.right - kLabelInset) {
      return false;
    }
    return std::none_of(taken[row].begin(), taken[row].end(), [&](const auto& stretch) {
      return left < stretch.second && stretch.first < left + width;
    });
  };
  std::vector<PlacedLabel> placed;
  for (const LineLabel& label : labels) {
    PlacedLabel where;
    const double sides[] = {label.lineX + kLabelToLine, label.lineX - kLabelToLine - label.width};
    for (int row = 0; row < rows && !where.placed; ++row) {
      for (const double left : sides) {
        if (fits(left, label.width, row)) {
          where = {true, left, row};
          taken[row].emplace_back(left - kLabelSpacing, left + label.width + kLabelSpacing);
          break;
        }
      }
    }
    placed.push_back(where);
  }
  return placed;
}

}  // namespace kalvorden
