#include "design/distribution.h"

#include <cstdint>

#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kPercentageFactor = 121;
constexpr Quad kPercent = 100;
constexpr Quad kLargestFraction = Widen(0.67f);  // 0.670000016689300537109375
// Rounds a bar quantity up to the next whole bar, keeping one that lies
// within 0.0001 of a whole number on it.
constexpr Quad kRoundUpAddend = Widen(0.9999f);  // 0.99989998340606689453125
constexpr Quad kTwo = 2;

}  // namespace

void DesignDistribution(SpanDesign& span) {
  const Quad percentage = Div(kPercentageFactor, SquareRoot(span.designSpan));
  Quad fraction = Div(percentage, kPercent);
  if (!Less(fraction, kLargestFraction)) {
    fraction = kLargestFraction;
  }
  // The percentage applies to the area the actual thickness needs, not to the
  // area the chosen bars provide.
  const Quad fractionOfSteel = Mul(fraction, span.requiredSteelArea);
  const Quad distributionArea = Mul(fractionOfSteel, span.designSpan);
  const Quad pairArea = Mul(kTwo, span.distBarArea);
  const Quad bars = Div(distributionArea, pairArea);

  const int32_t middleHalf = TruncateToInt32(Add(bars, kRoundUpAddend));
  // The outer quarters get half as many bars, made even.
  const Quad halfBars = Div(bars, kTwo);
  int64_t outerQuarters = TruncateToInt32(Add(halfBars, kRoundUpAddend));
  if (outerQuarters % 2 != 0) {
    outerQuarters = outerQuarters + 1;
  }
  if (middleHalf == INT32_MIN || outerQuarters == INT32_MIN || outerQuarters > INT32_MAX) {
    span.fault = SpanFault::kOutOfRange;
    return;
  }
  span.middleHalfBarCount = middleHalf;
  span.outerQuartersBarCount = static_cast<int32_t>(outerQuarters);
}

}  // namespace kalvorden
