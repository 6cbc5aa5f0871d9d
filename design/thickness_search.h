#pragma once

#include <cstdint>

#include "design/design_records.h"
#include "design/span_trace.h"

namespace kalvorden {

// The span design is written once, for a `Number` that is either Quad (the
// exact binary128 engine) or Enclosure (the fast filter, whose decisions
// throw UncertainDecision when they are not certain). Both instantiations
// are compiled in thickness_search.cc; the functions without a template
// argument are the exact engine on a DesignCase.

// The bar sizes of a case, as bar indices: the distribution bar is always the
// next smaller bar than the main bar, and both only ever move up together.
struct BarIndices {
  int32_t main = 4;          // #16
  int32_t distribution = 3;  // #13
};

// What the search needs of the current bars, derived whenever they change.
template <class Number>
struct BarValuesOf {
  Number halfMainBarDiameter{};  // mm
  Number mainBarArea{};          // mm^2
  Number distBarArea{};          // mm^2
  Number mainBarAreaFactor{};    // mm^3: 1000 x main bar area, bars per metre times spacing
};
using BarValues = BarValuesOf<Quad>;
template <class Number>
BarValuesOf<Number> LoadBarValuesOf(const BarIndices& indices);

// The fixed-point iteration on the slab's own weight.
template <class Number>
struct MinimumThicknessOf {
  bool converged = false;
  Number minThickness{};  // mm
  Number designMoment{};  // kN m per m, at the last trial thickness
};
// `trace`, when given, hears every pass (exact engine only).
template <class Number>
MinimumThicknessOf<Number> FindMinimumThickness(const CaseNumbers<Number>& constants,
                                                Number designSpan, Number firstTrialThickness,
                                                Number halfMainBarDiameter,
                                                SpanTrace* trace = nullptr);

// The actual thickness and the main steel it needs.
template <class Number>
struct MainSteelOf {
  bool inRange = false;         // false when a thickness or spacing does not fit 32 bits
  int32_t actualThickness = 0;  // mm, a multiple of 5
  Number effectiveDepth{};      // mm
  Number requiredSteelArea{};   // As, mm^2 per m
  int32_t mainBarSpacing = 0;   // mm, a multiple of 5
  Number thicknessSteps{};      // minimum thickness / 5 mm, before rounding up
  Number rawSpacing{};          // mm, before rounding down
};
template <class Number>
MainSteelOf<Number> DesignMainSteel(const CaseNumbers<Number>& constants, Number minThickness,
                                    Number designMoment, const BarValuesOf<Number>& bars);

enum class SearchOutcome : uint8_t {
  kSettled,     // `span` holds the span's thickness and main bars (or its fault)
  kBarAdvance,  // both bar indices moved up one size: design the span again
};

// The values of a settled span that only the design itself uses (and the
// exact engine can hand on as working values).
template <class Number>
struct SpanWorkingOf {
  Number minThickness{};  // unrounded
  Number designMoment{};
  Number effectiveDepth{};
  Number requiredSteelArea{};
};

// Designs span S (design span S') with the current bars. A spacing under
// 125 mm moves both bars up one size; when the main bar is already the
// largest of the table the span is settled with SpanFault::kNoBarLargeEnough.
// `span` gets the printed record (SpanDesign::minThickness rounded to
// hundredths, no working values) and `working` the rest. `trace`, when
// given, hears every step (exact engine only).
template <class Number>
SearchOutcome DesignThicknessAndMainBars(const CaseNumbers<Number>& constants, Quad spanLength,
                                         Quad designSpan, Number designSpanNumber,
                                         Number firstTrialThickness, BarIndices& indices,
                                         BarValuesOf<Number>& bars, SpanDesign& span,
                                         SpanWorkingOf<Number>& working,
                                         SpanTrace* trace = nullptr);

// Turns the printed record of a settled span into its full record: the
// unrounded minimum thickness and the working values.
void FillWorkingValues(const SpanWorkingOf<Quad>& working, SpanDesign& span);

// Gives the printed record of a settled span its working values as an
// output prints them (kWorkingValueDigits significant digits): each a
// binary128 value that prints as the exact design's value does. The exact
// engine's values are those values; from enclosures, each is an interval's
// lower bound whose digits CertainSignificantDigits makes certain, kept
// with those digits (SpanDesign::workingDigits), or the decision throws
// UncertainDecision and the span is designed again exactly.
template <class Number>
void FillPrintedWorkingValues(const SpanWorkingOf<Number>& working, SpanDesign& span);

// The converged thickness as the report prints it, into the printed record:
// SpanDesign::minThickness and minThicknessHundredths.
void SetPrintedThickness(Quad minThickness, SpanDesign& span);
void SetPrintedThickness(Enclosure minThickness, SpanDesign& span);

}  // namespace kalvorden
