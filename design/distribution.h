#pragma once

#include "design/design_records.h"
#include "design/span_trace.h"

namespace kalvorden {

// Fills the two distribution bar counts of a settled span: a percentage
// 121 / sqrt(S') of the main steel, at most 67 %, spread over the span. A
// count that does not fit 32 bits marks the span SpanFault::kOutOfRange.
// `trace`, when given, hears the steps.
void DesignDistribution(SpanDesign& span, SpanTrace* trace = nullptr);

}  // namespace kalvorden
