#pragma once

#include <cairo.h>

#include <string>

#include "comparison/case_comparison.h"

namespace kalvorden {

// Draws the comparison of a run's cases into the rectangle (0, 0) to
// (width, height) of the user space of `cr` (points), every mark inside it:
// a title, the legend, and one panel of all reinforcing steel per m^2 of
// deck against span. For up to kCasesChartedInFull cases a line per case;
// for more, the band from the least to the most steel of every span with
// the lightest and the heaviest case's lines. The span the cases are
// ranked at is marked.
void DrawComparisonChart(cairo_t* cr, const CaseComparison& comparison, double width,
                         double height);

// The same chart as an SVG document of `width` by `height` in `svgOut`.
// False (and `svgOut` empty) when cairo fails.
bool WriteComparisonChartSvg(const CaseComparison& comparison, double width, double height,
                             std::string& svgOut);

}  // namespace kalvorden
