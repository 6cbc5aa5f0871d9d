#include "design/distribution.h"

#include <cstdint>

#include "design/design_constants.h"
#include "design/design_numbers.h"
#include "numeric/deferred_enclosure.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kPercent = 100;
constexpr Quad kTwo = 2;

}  // namespace

template <class Number>
DistributionCounts CountDistributionBars(Number designSpan, Number requiredSteelArea,
                                         Number distBarArea, SpanTrace* trace) {
  // Quotients and products of positive values: chains, run as a thickness
  // pass's are (ChainOf), settled for each decision.
  using Chain = ChainOf<Number>;
  DistributionCounts counts;
  const Chain span = Defer(designSpan);
  const Chain percentage = Div(kConstant<Chain, kDistributionPercentageFactor>, SquareRoot(span));
  Chain fraction = Div(percentage, kConstant<Chain, kPercent>);
  const bool capped = !Less(Settle(fraction), kConstant<Number, kLargestDistributionFraction>);
  if (capped) {
    fraction = kConstant<Chain, kLargestDistributionFraction>;
  }
  // The percentage applies to the area the actual thickness needs, not to the
  // area the chosen bars provide.
  const Chain fractionOfSteel = Mul(fraction, Defer(requiredSteelArea));
  const Chain distributionArea = Mul(fractionOfSteel, span);
  const Chain pairArea = Mul(kConstant<Chain, kTwo>, Defer(distBarArea));
  const Chain bars = Div(distributionArea, pairArea);
  const int32_t middleHalf =
      TruncateToInt32(Settle(Add(bars, kConstant<Chain, kBarCountRoundUpAddend>)));
  // The outer quarters get half as many bars, made even.
  const Chain halfBars = Div(bars, kConstant<Chain, kTwo>);
  int64_t outerQuarters =
      TruncateToInt32(Settle(Add(halfBars, kConstant<Chain, kBarCountRoundUpAddend>)));
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
