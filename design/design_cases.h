#pragma once

#include <cstdint>
#include <functional>

#include "design/design_records.h"
#include "driver/design_inputs.h"
#include "report/report_writer.h"

namespace kalvorden {

// A design case with at least one span that could not be designed: the
// case, the first such span and why.
struct UndesignedCase {
  DesignCase designCase;
  Quad firstSpan = 0;  // S of the first span with a fault, m
  SpanFault fault = SpanFault::kNone;
};

struct DesignRunSummary {
  int32_t designCases = 0;      // cases whose pages were written
  int32_t undesignedCases = 0;  // of those, cases with a span that has a fault
};

using UndesignedCaseNotice = std::function<void(const UndesignedCase&)>;

// Designs every combination of the entered values, wheel load outermost and
// concrete stress innermost, writing each case's pages through `writer`,
// then the report's closing footer. Stops early, without the footer, when a
// write to the report file fails (writer.file.failure is then set).
// `notice` hears of every case with a span that could not be designed, as
// soon as the case is finished.
DesignRunSummary EnumerateDesignCases(const DesignInputs& inputs, ReportWriter& writer,
                                      const UndesignedCaseNotice& notice);

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

// Fills the case constants (n as binary128, k, j, R, Cs, F and half the span
// deduction width) from the case's values and its modular ratio.
void DeriveCaseConstants(DesignCase& designCase);

}  // namespace kalvorden
