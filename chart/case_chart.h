#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "design/case_pipeline.h"

namespace kalvorden {

// The case's entered values and n with their units, in full, in two groups
// (the loads and the cover, then the materials and the continuity factor):
// {{"wheel load 120 kN", "top cover 50 mm", ...}, {"fs 165 MPa", ...}}.
std::vector<std::vector<std::string>> CaseValueGroups(const DesignCase& designCase);

// The same on one line: "wheel load 120 kN, top cover 50 mm, ...".
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
void DrawCaseChart(cairo_t* cr, const DesignedCase& designed, double width, double height,
                   int32_t governingRow = -1);

// The same chart as an SVG document in `svgOut`. False (and `svgOut`
// empty) when cairo fails.
bool WriteCaseChartSvg(const DesignedCase& designed, std::string& svgOut,
                       int32_t governingRow = -1);

}  // namespace kalvorden
