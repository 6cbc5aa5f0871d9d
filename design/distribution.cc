#include "design/distribution.h"

#include <cstdint>

#include "design/design_constants.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kPercent = 100;
constexpr Quad kTwo = 2;

}  // namespace

void DesignDistribution(SpanDesign& span, SpanTrace* trace) {
  const Quad percentage = Div(kDistributionPercentageFactor, SquareRoot(span.designSpan));
  Quad fraction = Div(percentage, kPercent);
  const bool capped = !Less(fraction, kLargestDistributionFraction);
  if (capped) {
    fraction = kLargestDistributionFraction;
  }
  // The percentage applies to the area the actual thickness needs, not to the
  // area the chosen bars provide.
  const Quad fractionOfSteel = Mul(fraction, span.requiredSteelArea);
  const Quad distributionArea = Mul(fractionOfSteel, span.designSpan);
  const Quad pairArea = Mul(kTwo, span.distBarArea);
  const Quad bars = Div(distributionArea, pairArea);

  const int32_t middleHalf = TruncateToInt32(Add(bars, kBarCountRoundUpAddend));
  // The outer quarters get half as many bars, made even.
  const Quad halfBars = Div(bars, kTwo);
  int64_t outerQuarters = TruncateToInt32(Add(halfBars, kBarCountRoundUpAddend));
  if (outerQuarters % 2 != 0) {
    outerQuarters = outerQuarters + 1;
  }
  if (trace != nullptr) {
    trace->Distribution(DistributionSteps{percentage, fraction, capped, distributionArea, pairArea,
                                          bars, halfBars, middleHalf, outerQuarters});
  }
  if (middleHalf == INT32_MIN || outerQuarters == INT32_MIN || outerQuarters > INT32_MAX) {
    span.fault = SpanFault::kOutOfRange;
    return;
  }
  span.middleHalfBarCount = middleHalf;
  span.outerQuartersBarCount = static_cast<int32_t>(outerQuarters);
}

}  // namespace kalvorden
