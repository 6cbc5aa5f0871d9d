#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "design/case_pipeline.h"

namespace kalvorden {

// The case's entered values and n with their units, in full, on one line:
// "wheel load 120 kN, top cover 50 mm, ...".
std::string DescribeCaseValues(const DesignCase& designCase);

// One span as the chart plots it. The positions come from the report's
// printed figures (the minimum thickness rounded to 0.01 mm as printed), read
// as doubles for drawing only: no design value is computed from them.
struct ChartSpan {
  double span = 0;             // m
  bool designed = false;       // false: a gap in every curve
  double minThickness = 0;     // mm
  double actualThickness = 0;  // mm
  double mainBarSpacing = 0;   // mm
  int mainBarDesignation = 0;
  // kg/m^2 of deck (design/span_quantities.h), as the CSV table prints them.
  double mainSteel = 0;
  double distributionSteel = 0;
  double totalSteel = 0;
};
std::vector<ChartSpan> ChartSpans(const DesignedCase& designed);

// Draws the case's chart into the rectangle (0, 0) to (width, height) of the
// user space of `cr` (points), every mark and piece of text inside it: the
// case's values in the title, wrapped to the width, then its panels stacked
// to fill the height: minimum and actual thickness against span at the top,
// main bar spacing under it, and the reinforcing steel per square metre of
// deck (all, main and distribution bars) at the foot; the spans where the
// main bar size changes marked with thin dotted lines (and labelled inside
// the spacing plot), spans that could not be designed shown as grey gaps;
// with a `governingRow` (0 to 110) its span marked in every panel in the
// governing row's own line (chart/chart_panel.h), named in the legends.
//
// With `furniture`, what one layout of the chart has the same in every case
// (the span grid and labels, the frames, the axis titles, the legends) is
// drawn once into a recording and painted; a document that holds the
// recording once (a PDF's form) then writes it once for all its charts.
class CaseChartFurniture;
void DrawCaseChart(cairo_t* cr, const DesignedCase& designed, double width, double height,
                   int32_t governingRow = -1, CaseChartFurniture* furniture = nullptr);
// The same with the case's ChartSpans worked out already (elsewhere, on
// another thread).
void DrawCaseChart(cairo_t* cr, const DesignedCase& designed, const std::vector<ChartSpan>& spans,
                   double width, double height, int32_t governingRow,
                   CaseChartFurniture* furniture);

// The recordings of a run's charts' fixed parts, one per layout (the
// chart's size, its title's line count, its widest value label and the
// governing row), at most kLayouts of them: a chart of any further layout is
// drawn whole. A recording takes the target's font options, so each glyph
// stands where it would stand drawn on the target.
class CaseChartFurniture {
 public:
  static constexpr size_t kLayouts = 16;
  using Key = std::array<double, 5>;

  CaseChartFurniture() = default;
  CaseChartFurniture(const CaseChartFurniture&) = delete;
  CaseChartFurniture& operator=(const CaseChartFurniture&) = delete;
  ~CaseChartFurniture();

  // The recording for `key`, drawn by `draw` on first asking; null when
  // there are too many layouts or the recording failed.
  cairo_surface_t* Recording(const Key& key, cairo_t* target, double width, double height,
                             const std::function<void(cairo_t*)>& draw);

 private:
  std::vector<std::pair<Key, cairo_surface_t*>> recordings_;
};

// The same chart as an SVG document in `svgOut`. False (and `svgOut`
// empty) when cairo fails.
bool WriteCaseChartSvg(const DesignedCase& designed, std::string& svgOut,
                       int32_t governingRow = -1);

}  // namespace kalvorden
