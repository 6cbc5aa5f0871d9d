#include "design/span_sweep.h"

#include "design/design_cases.h"
#include "design/distribution.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kFirstSpan = 1;
constexpr Quad kLastSpan = 3.75;
// Adding the widened step to a span below 4 m is exact, so span i of a case
// is exactly 1 + i x 0.02500000037252902984619140625 and the last of the 111
// spans is 3.7500000409781932830810546875.
constexpr Quad kSpanStep = Widen(0.025f);       // 0.02500000037252902984619140625
constexpr Quad kStopTolerance = Widen(0.008f);  // 0.008000000379979610443115234375
constexpr Quad kMillimetresPerMetre = 1000;
constexpr Quad kFirstTrialThickness = 200;  // mm

constexpr Quad kLiveLoadSpanAddend = Widen(0.61f);  // 0.61000001430511474609375 m
// Self-weight of the slab per millimetre of thickness, kN/m^2.
constexpr Quad kSlabWeightFactor = Widen(0.0235631503f);  // 0.0235631503164768218994140625
// M_DL = w S'^2 / 10 for a slab continuous over its supports.
constexpr Quad kDeadLoadMomentCoefficient = Widen(0.1f);  // 0.100000001490116119384765625

}  // namespace

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

SweepResult SweepSpans(const DesignCase& c, SweepState& state, std::span<SpanDesign> spans) {
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
                                       state.bars, bars, span) == SearchOutcome::kSettled) {
          break;
        }
      }
    }
    if (span.fault == SpanFault::kNone) {
      DesignDistribution(span);
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
