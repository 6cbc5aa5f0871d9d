#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "design/case_pipeline.h"
#include "design/design_inputs.h"
#include "design/design_options.h"
#include "design/design_records.h"

namespace kalvorden {

// A design case with at least one span that could not be designed: the
// case, the first such span and why.
struct UndesignedCase {
  DesignCase designCase;
  Quad firstSpan = 0;  // S of the first span with a fault, m
  SpanFault fault = SpanFault::kNone;
};

// The case, its first span with a fault and why, when the case has one.
std::optional<UndesignedCase> FindUndesignedSpan(const DesignedCase& designed);

struct DesignRunSummary {
  int32_t designCases = 0;      // cases the sink accepted
  int32_t undesignedCases = 0;  // of those, cases with a span that has a fault
};

// Called once per finished case, in case order; returns false to stop the
// run early. The case is valid only during the call.
using DesignedCaseSink = std::function<bool(const DesignedCase&)>;

// Calls `visit` with every design case `inputs` makes: each combination of
// the entered values, in the order a run designs them and every output lists
// them (wheel load outermost, then cover, paving, steel stress, concrete
// stress, and the span deduction width innermost). Each case comes with its
// modular ratio and case constants derived, ready to design.
void ForEachDesignCase(const DesignInputs& inputs,
                       const std::function<void(const DesignCase&)>& visit);

// The number of cases ForEachDesignCase forms from `inputs`.
int64_t DesignCaseCount(const DesignInputs& inputs);

// Designs every case ForEachDesignCase forms, in its order, gives each to
// `prepare` (if any) on the thread that designed it, and hands each
// finished case to `sink`. Only a few cases are held at any time, however
// many the run has.
DesignRunSummary EnumerateDesignCases(const DesignInputs& inputs, const DesignedCaseSink& sink,
                                      const DesignOptions& options = {},
                                      const CasePreparer& prepare = {});

// True when the case's values can describe a slab: all finite, fc and fs
// positive, wheel load, cover and paving not negative. The design formulas
// give numbers for other values too, but not a slab that carries the load.
bool HasDesignableValues(const DesignCase& designCase);

// The modular ratio n = Es / Ec for an allowable concrete stress fc, rounded
// to the nearest whole number and at least 6.
int32_t DeriveModularRatio(Quad concreteStress);

// The same, with its steps: f'c = fc / 0.4, Ec = 4790.956 sqrt(f'c), Es / Ec.
struct ModularRatioSteps {
  Quad concreteStrength = 0;  // f'c, MPa
  Quad concreteModulus = 0;   // Ec, MPa
  Quad ratio = 0;             // Es / Ec, before rounding
  int32_t modularRatio = 0;   // n
};
ModularRatioSteps DeriveModularRatioSteps(Quad concreteStress);
// The same from f'c itself, as a rating of an existing slab enters it.
ModularRatioSteps ModularRatioStepsOfStrength(Quad concreteStrength);

// Fills the case constants (n as binary128, k, j, R, Cs, F and half the span
// deduction width) from the case's values and its modular ratio.
void DeriveCaseConstants(DesignCase& designCase);

}  // namespace kalvorden
