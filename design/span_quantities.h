#pragma once

// What one designed span costs in material, per square metre of deck, from
// the printed row alone (thickness, bar sizes, spacing, bar counts, the
// printed span) and the bars' nominal masses, so that anyone can recompute
// it from the row. The figures compare design cases; they are not a bar
// list: laps, hooks, top and overhang steel and waste are left out.

#include <cstdint>
#include <optional>

#include "design/design_records.h"
#include "numeric/decimal.h"
#include "numeric/quad.h"

namespace kalvorden {

// Each figure is the exact quotient of whole numbers (the row's thickness,
// spacing, counts and printed span, the bars' areas and masses in grams per
// metre), rounded once to a binary128 value that prints, rounded to these
// decimals, as the exact quotient does by the report's rule (to nearest, a
// value exactly halfway away from zero).
constexpr int kConcreteDecimals = 3;          // m^3 per m^2: whole millimetres of thickness
constexpr int kSteelAreaDecimals = 2;         // mm^2 per m
constexpr int kSteelMassDecimals = 2;         // kg per m^2
constexpr int kSteelPerConcreteDecimals = 1;  // kg per m^3

struct SpanQuantities {
  // False for a span that could not be designed: it has no quantities.
  bool known = false;
  // Concrete, m^3 per m^2 of deck: t / 1000, t the actual thickness in mm.
  Quad concrete = 0;
  // Main steel provided, mm^2 per m of deck: (1000 A) / s, A the main bar's
  // area (mm^2) and s its spacing (mm).
  Quad providedSteelArea = 0;
  // Main bars, kg per m^2: 1000 / s bars per metre of bridge, each running
  // the span S, over S: (1000 / s) m, evaluated as g / s with g the bar's
  // mass in g/m.
  Quad mainSteel = 0;
  // Distribution bars, kg per m^2: the middle-half and the outer-quarters
  // bars together across the span's width S, each running along the
  // bridge: (middle + outer) m / S, evaluated as ((middle + outer) g) / L
  // with L the printed span in mm (2.900 m is 2900).
  Quad distributionSteel = 0;
  // Reinforcing steel, kg per m^2: main + distribution, the exact sum.
  Quad totalSteel = 0;
  // Reinforcing steel per volume of concrete, kg per m^3: (1000 total) / t,
  // from the exact total.
  Quad steelPerConcrete = 0;
};

// The same figures as they print: each exact quotient x 10^decimals rounded
// to a whole number, a value exactly halfway up, which is what
// RoundToDecimals (numeric/decimal.h) gives for the binary128 figure above.
struct PrintedQuantities {
  bool known = false;
  ScaledDecimal concrete;
  ScaledDecimal providedSteelArea;
  ScaledDecimal mainSteel;
  ScaledDecimal distributionSteel;
  ScaledDecimal totalSteel;
  ScaledDecimal steelPerConcrete;
};

// The quantities of `span`, a row of the printed record, at its printed span
// of `spanMillimetres` (1000 for 1.000 m ... 3750 for 3.750 m).
SpanQuantities QuantitiesOf(const SpanDesign& span, int32_t spanMillimetres);
// The same, as printed, without a binary128 division.
PrintedQuantities PrintedQuantitiesOf(const SpanDesign& span, int32_t spanMillimetres);
// PrintedQuantitiesOf(span, spanMillimetres).totalSteel alone (none for a span
// without quantities), for a ranking over every span of a run.
std::optional<ScaledDecimal> PrintedTotalSteelOf(const SpanDesign& span, int32_t spanMillimetres);

}  // namespace kalvorden
