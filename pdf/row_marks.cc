#include "pdf/row_marks.h"

#include <array>
#include <cstddef>

#include "chart/chart_panel.h"

namespace kalvorden {
namespace {

constexpr double kCrossSize = 5;
constexpr double kCrossRise = 6;  // the cross's top above the baseline
constexpr double kCrossLineWidth = 0.8;

// The cross of a row whose baseline is `baseline`, its left edge at `x`,
// added to the current path: two strokes corner to corner.
void AddRowCross(cairo_t* cr, double x, double baseline) {
  const double top = baseline - kCrossRise;
  const double bottom = top + kCrossSize;
  cairo_move_to(cr, x, top);
  cairo_line_to(cr, x + kCrossSize, bottom);
  cairo_move_to(cr, x + kCrossSize, top);
  cairo_line_to(cr, x, bottom);
}

void StrokeCrosses(cairo_t* cr) {
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, kCrossLineWidth);
  cairo_stroke(cr);
}

}  // namespace

RowMarks::~RowMarks() {
  Forget();
}

void RowMarks::Forget() {
  for (std::vector<cairo_surface_t*>& copies : runs_) {
    for (cairo_surface_t* run : copies) {
      cairo_surface_destroy(run);
    }
    copies.clear();
  }
}

// Copy `copy` of a recording of `count` crosses `pitch` apart, the first on
// the baseline y = 0 with its left edge at x = 0, its bounds holding the
// strokes' width all round. A sheet that paints the same recording twice
// gets two entries of one name in its resources from cairo (a file readers
// warn of), so a sheet's second run of a length paints a second copy. The
// pitch is the sheet's, the same for every sheet of a document; were it
// ever another, the recordings are drawn afresh.
cairo_surface_t* RowMarks::Run(int32_t count, size_t copy, double pitch) {
  if (pitch != pitch_) {
    Forget();
    pitch_ = pitch;
  }
  runs_.resize(kLongestRun);
  std::vector<cairo_surface_t*>& copies = runs_[static_cast<size_t>(count - 1)];
  if (copy < copies.size()) {
    return copies[copy];
  }
  const cairo_rectangle_t bounds = {
      -kCrossLineWidth, -kCrossRise - kCrossLineWidth, kCrossSize + 2 * kCrossLineWidth,
      static_cast<double>(count - 1) * pitch + kCrossSize + 2 * kCrossLineWidth};
  cairo_surface_t* const surface =
      DrawToRecording(bounds, nullptr, [count, pitch](cairo_t* recording) {
        for (int32_t i = 0; i < count; ++i) {
          AddRowCross(recording, 0, static_cast<double>(i) * pitch);
        }
        StrokeCrosses(recording);
      });
  if (surface == nullptr) {
    failed_ = true;
    return nullptr;
  }
  copies.push_back(surface);
  return surface;
}

void RowMarks::Draw(cairo_t* cr, double x, double top, double pitch,
                    const std::vector<int32_t>& lines) {
  std::array<size_t, kLongestRun> painted{};  // on this sheet, by length
  size_t first = 0;
  while (first < lines.size()) {
    size_t end = first + 1;
    while (end < lines.size() && lines[end] == lines[end - 1] + 1 &&
           end - first < static_cast<size_t>(kLongestRun)) {
      ++end;
    }
    const double baseline = top + static_cast<double>(lines[first]) * pitch;
    const size_t count = end - first;
    cairo_surface_t* run =
        failed_ ? nullptr : Run(static_cast<int32_t>(count), painted[count - 1]++, pitch);
    cairo_save(cr);
    if (run != nullptr) {
      cairo_set_source_surface(cr, run, x, baseline);
      cairo_paint(cr);
    } else {
      for (size_t i = first; i < end; ++i) {
        AddRowCross(cr, x, top + static_cast<double>(lines[i]) * pitch);
      }
      StrokeCrosses(cr);
    }
    cairo_restore(cr);
    first = end;
  }
}

}  // namespace kalvorden
