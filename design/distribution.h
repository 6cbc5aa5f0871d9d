#pragma once

#include <cstdint>

#include "design/design_records.h"
#include "design/span_trace.h"

namespace kalvorden {

// The two distribution bar counts of a settled span: a percentage
// 121 / sqrt(S') of the main steel, at most 67 %, spread over the span.
struct DistributionCounts {
  bool inRange = false;  // false when a count does not fit 32 bits
  int32_t middleHalf = 0;
  int32_t outerQuarters = 0;
};
// Written once for both number types (see design/thickness_search.h).
// `trace`, when given, hears the steps (exact engine only).
template <class Number>
DistributionCounts CountDistributionBars(Number designSpan, Number requiredSteelArea,
                                         Number distBarArea, SpanTrace* trace = nullptr);

}  // namespace kalvorden
