#pragma once

// The small crosses a table sheet draws right of the rows that fail a check
// as built. A run of crosses on consecutive rows is drawn once, as a
// recording of that many crosses a line pitch apart, which the PDF writes
// once as a form and each sheet paints where its run begins: a 3125-case
// package marks tens of thousands of rows, and a cross drawn as two strokes
// cost eight coordinates in the page where a run painted costs the six of
// its placing.

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalvorden {

class RowMarks {
 public:
  // Runs of up to this many rows are painted from a recording; a longer
  // run is painted in pieces.
  static constexpr int32_t kLongestRun = 66;

  RowMarks() = default;
  RowMarks(const RowMarks&) = delete;
  RowMarks& operator=(const RowMarks&) = delete;
  ~RowMarks();

  // Marks the rows whose baselines are `top` + line x `pitch` for each of
  // `lines` (ascending), the crosses' left edge at `x`; black, as one cross
  // per row drawn as two strokes would be.
  void Draw(cairo_t* cr, double x, double top, double pitch, const std::vector<int32_t>& lines);

 private:
  cairo_surface_t* Run(int32_t count, size_t copy, double pitch);
  void Forget();

  double pitch_ = 0;  // of every recording kept
  // [count - 1][copy]: the recordings of runs of count crosses.
  std::vector<std::vector<cairo_surface_t*>> runs_;
  bool failed_ = false;  // a recording failed: strokes from then on
};

}  // namespace kalvorden
