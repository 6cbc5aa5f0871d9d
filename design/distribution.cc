#include "design/distribution.h"

#include <cstdint>

#include "design/design_constants.h"
#include "design/design_numbers.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kPercent = 100;
constexpr Quad kTwo = 2;

}  // namespace

template <class Number>
DistributionCounts CountDistributionBars(Number designSpan, Number requiredSteelArea,
                                         Number distBarArea, SpanTrace* trace) {
  DistributionCounts counts;
  const Number percentage =
      Div(kConstant<Number, kDistributionPercentageFactor>, SquareRoot(designSpan));
  Number fraction = Div(percentage, kConstant<Number, kPercent>);
  const bool capped = !Less(fraction, kConstant<Number, kLargestDistributionFraction>);
  if (capped) {
    fraction = kConstant<Number, kLargestDistributionFraction>;
  }
  // The percentage applies to the area the actual thickness needs, not to the
  // area the chosen bars provide.
  const Number fractionOfSteel = Mul(fraction, requiredSteelArea);
  const Number distributionArea = Mul(fractionOfSteel, designSpan);
  const Number pairArea = Mul(kConstant<Number, kTwo>, distBarArea);
  const Number bars = Div(distributionArea, pairArea);

  const int32_t middleHalf = TruncateToInt32(Add(bars, kConstant<Number, kBarCountRoundUpAddend>));
  // The outer quarters get half as many bars, made even.
  const Number halfBars = Div(bars, kConstant<Number, kTwo>);
  int64_t outerQuarters = TruncateToInt32(Add(halfBars, kConstant<Number, kBarCountRoundUpAddend>));
  if (outerQuarters % 2 != 0) {
    outerQuarters = outerQuarters + 1;
  }
  if constexpr (kTraced<Number>) {
    if (trace != nullptr) {
      trace->Distribution(DistributionSteps{percentage, fraction, capped, distributionArea,
                                            pairArea, bars, halfBars, middleHalf, outerQuarters});
    }
  }
  if (middleHalf == INT32_MIN || outerQuarters == INT32_MIN || outerQuarters > INT32_MAX) {
    return counts;
  }
  counts.inRange = true;
  counts.middleHalf = middleHalf;
  counts.outerQuarters = static_cast<int32_t>(outerQuarters);
  return counts;
}

template DistributionCounts CountDistributionBars(Quad, Quad, Quad, SpanTrace*);
template DistributionCounts CountDistributionBars(Enclosure, Enclosure, Enclosure, SpanTrace*);

}  // namespace kalvorden
