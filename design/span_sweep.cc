#include "design/span_sweep.h"

#include "design/design_cases.h"
#include "design/design_constants.h"
#include "design/distribution.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
DesignMoments DesignMoment(Quad designSpan, Quad trialThickness, const DesignCase& c) {
  DesignMoments m;
  const Quad liveLoadLever = Add(designSpan, kLiveLoadSpanAddend);
  m.liveLoadMoment = Mul(liveLoadLever, c.liveLoadMomentFactor);
  const Quad selfWeight = Mul(trialThickness, kSlabWeightFactor);
  m.deadLoad = Add(selfWeight, c.futurePaving);
  const Quad loadTimesSpan = Mul(m.deadLoad, designSpan);
  const Quad loadTimesSpanSquared = Mul(loadTimesSpan, designSpan);
  m.deadLoadMoment = Mul(loadTimesSpanSquared, kDeadLoadMomentCoefficient);
  m.designMoment = Add(m.liveLoadMoment, m.deadLoadMoment);
  return m;
}

SweepResult SweepSpans(const DesignCase& c, SweepState& state, std::span<SpanDesign> spans,
                       SpanTrace* trace) {
  SweepResult result;
  BarValues bars = LoadBarValues(state.bars);
  const bool designable = HasDesignableValues(c);
  while (static_cast<size_t>(result.spanCount) < spans.size()) {
    SpanDesign& span = spans[static_cast<size_t>(result.spanCount++)];
    span = SpanDesign{};
    if (!designable) {
      span.spanLength = state.spanLength;
      span.fault = SpanFault::kInvalidInputs;
    } else {
      // A bar advance designs the same span again, from the first trial
      // thickness, with the larger bars. The indices stop at the table's
      // end, so this loop runs at most once per bar size.
      for (;;) {
        const Quad spanMillimetres = Mul(kMillimetresPerMetre, state.spanLength);
        const Quad netSpan = Sub(spanMillimetres, c.halfSpanDeductionWidth);
        const Quad designSpan = Div(netSpan, kMillimetresPerMetre);
        if (DesignThicknessAndMainBars(c, state.spanLength, designSpan, kFirstTrialThickness,
                                       state.bars, bars, span, trace) == SearchOutcome::kSettled) {
          break;
        }
      }
    }
    if (span.fault == SpanFault::kNone) {
      DesignDistribution(span, trace);
    }
    if (span.fault != SpanFault::kNone && result.fault == SpanFault::kNone) {
      result.fault = span.fault;
      result.firstFaultSpan = span.spanLength;
    }
    if (Less(Abs(Sub(state.spanLength, kLastSpan)), kStopTolerance)) {
      break;
    }
    state.spanLength = Add(state.spanLength, kSpanStep);
  }
  state.spanLength = kFirstSpan;
  state.bars = BarIndices{};
  return result;
}

}  // namespace kalvorden
