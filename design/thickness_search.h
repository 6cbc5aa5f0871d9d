#pragma once

#include <cstdint>

#include "design/design_records.h"
#include "design/span_trace.h"

namespace kalvorden {

// The bar sizes of a case, as bar indices: the distribution bar is always the
// next smaller bar than the main bar, and both only ever move up together.
struct BarIndices {
  int32_t main = 4;          // #16
  int32_t distribution = 3;  // #13
};

// What the search needs of the current bars, derived whenever they change.
struct BarValues {
  Quad halfMainBarDiameter = 0;  // mm
  Quad mainBarArea = 0;          // mm^2
  Quad distBarArea = 0;          // mm^2
  Quad mainBarAreaFactor = 0;    // mm^3: 1000 x main bar area, bars per metre times spacing
};
BarValues LoadBarValues(const BarIndices& indices);

// The fixed-point iteration on the slab's own weight.
struct MinimumThickness {
  bool converged = false;
  Quad minThickness = 0;  // mm
  Quad designMoment = 0;  // kN m per m, at the last trial thickness
};
MinimumThickness FindMinimumThickness(const DesignCase& designCase, Quad designSpan,
                                      Quad firstTrialThickness, Quad halfMainBarDiameter,
                                      SpanTrace* trace = nullptr);

// The actual thickness and the main steel it needs.
struct MainSteel {
  bool inRange = false;         // false when a thickness or spacing does not fit 32 bits
  int32_t actualThickness = 0;  // mm, a multiple of 5
  Quad effectiveDepth = 0;      // mm
  Quad requiredSteelArea = 0;   // As, mm^2 per m
  int32_t mainBarSpacing = 0;   // mm, a multiple of 5
  Quad thicknessSteps = 0;      // minimum thickness / 5 mm, before rounding up
  Quad rawSpacing = 0;          // mm, before rounding down
};
MainSteel DesignMainSteel(const DesignCase& designCase, Quad minThickness, Quad designMoment,
                          const BarValues& bars);

enum class SearchOutcome : uint8_t {
  kSettled,     // `span` holds the span's thickness and main bars (or its fault)
  kBarAdvance,  // both bar indices moved up one size: design the span again
};

// Designs span S (design span S') with the current bars. A spacing under
// 125 mm moves both bars up one size; when the main bar is already the
// largest of the table the span is settled with SpanFault::kNoBarLargeEnough.
// `trace`, when given, hears every step.
SearchOutcome DesignThicknessAndMainBars(const DesignCase& designCase, Quad spanLength,
                                         Quad designSpan, Quad firstTrialThickness,
                                         BarIndices& indices, BarValues& bars, SpanDesign& span,
                                         SpanTrace* trace = nullptr);

}  // namespace kalvorden
