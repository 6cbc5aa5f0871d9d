#include "design/distribution.h"

#include <cstdint>

namespace kalvorden {
namespace {

const Quad kPercentageFactor = 121;
const Quad kPercent = 100;
const Quad kLargestFraction = Widen(0.67f);  // 0.670000016689300537109375
// Rounds a bar quantity up to the next whole bar, keeping one that lies
// within 0.0001 of a whole number on it.
const Quad kRoundUpAddend = Widen(0.9999f);  // 0.99989998340606689453125
const Quad kTwo = 2;

}  // namespace

void DesignDistribution(SpanDesign& span) {
  Quad fraction = kPercentageFactor / SquareRoot(span.designSpan);
  fraction = fraction / kPercent;
  if (!(fraction < kLargestFraction)) {
    fraction = kLargestFraction;
  }
  // The percentage applies to the area the actual thickness needs, not to the
  // area the chosen bars provide.
  const Quad distributionArea = (fraction * span.requiredSteelArea) * span.designSpan;
  const Quad bars = distributionArea / (kTwo * span.distBarArea);

  const int32_t middleHalf = TruncateToInt32(bars + kRoundUpAddend);
  // The outer quarters get half as many bars, made even.
  int64_t outerQuarters = TruncateToInt32(bars / kTwo + kRoundUpAddend);
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
