#include "design/thickness_search.h"

#include <type_traits>

#include "design/bar_table.h"
#include "design/design_constants.h"
#include "design/design_numbers.h"
#include "design/span_sweep.h"
#include "numeric/decimal.h"
#include "numeric/deferred_enclosure.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kTwo = 2;
// The printed thickness of n hundredths is n x 0.01 rounded once, with 0.01
// the binary128 value nearest it: within a unit in the last place of
// n / 100, so it prints as n hundredths (the report's two decimals, or many
// more), and one multiplication is much cheaper than a division.
constexpr Quad kOneHundredth = Quad{1} / 100;
// Below this many hundredths the printed thickness is a whole number of
// hundredths; the fast engine's rounding decides below it as well.
constexpr int64_t kLargestHundredths = int64_t{1} << 40;

// The pass limit. The iteration t -> a + 1000 sqrt((M_LL + (w0 t + FP) S'^2 / 10) / R)
// is increasing and contracts by at most 1/2 per pass (the factor tends to
// 1/2 only when the slab's own weight dominates), so from 200 mm it comes
// within the tolerance of any thickness a report can hold (below 2^31 mm)
// in fewer than 50 passes; sound cases take about 6. Only absurd values
// (a "slab" of 1e35 mm) need more, and they end here, quickly, as spans
// that cannot be designed.
constexpr int kMaxThicknessPasses = 100;

// 5 x count must fit a 32-bit integer.
constexpr int32_t kLargestStepCount = INT32_MAX / 5;

bool FitsStepCount(int32_t count) {
  return count >= -kLargestStepCount && count <= kLargestStepCount;
}

}  // namespace

template <class Number>
BarValuesOf<Number> LoadBarValuesOf(const BarIndices& indices) {
  BarValuesOf<Number> bars;
  bars.halfMainBarDiameter =
      Div(FromQuad<Number>(BarDiameter(indices.main)), kConstant<Number, kTwo>);
  bars.mainBarArea = FromQuad<Number>(BarArea(indices.main));
  bars.distBarArea = FromQuad<Number>(BarArea(indices.distribution));
  bars.mainBarAreaFactor = Mul(kConstant<Number, kMillimetresPerMetre>, bars.mainBarArea);
  return bars;
}

template <class Number>
MinimumThicknessOf<Number> FindMinimumThickness(const CaseNumbers<Number>& c, Number designSpan,
                                                Number firstTrialThickness,
                                                Number halfMainBarDiameter, SpanTrace* trace) {
  // A pass from the trial thickness to the thickness it requires is a chain
  // of operations on positive values, each waiting for the last; on
  // enclosures it runs on DeferredEnclosure, which steps its bounds outward
  // once, at the end of the chain, rather than after every operation.
  using Chain = ChainOf<Number>;
  const CaseNumbers<Chain> chained = {Defer(c.topCover), Defer(c.futurePaving),
                                      Defer(c.liveLoadMomentFactor), Defer(c.resistingMomentFactor),
                                      Defer(c.steelAreaFactor)};
  const Chain chainedSpan = Defer(designSpan);
  const Chain chainedHalfBar = Defer(halfMainBarDiameter);
  MinimumThicknessOf<Number> result;
  Number trial = firstTrialThickness;
  for (int pass = 0; pass < kMaxThicknessPasses; ++pass) {
    const DesignMomentsOf<Chain> moments = DesignMoment(chainedSpan, Defer(trial), chained);
    const Chain moment = moments.designMoment;
    // The effective depth the moment needs: d = 1000 sqrt(M / R), in mm.
    const Chain ratio = Div(moment, chained.resistingMomentFactor);
    const Chain depth = Mul(kConstant<Chain, kMillimetresPerMetre>, SquareRoot(ratio));
    const Chain withHalfBar = Add(depth, chainedHalfBar);
    const Number required = Settle(Add(withHalfBar, chained.topCover));
    const Number change = Abs(Sub(required, trial));
    const bool converged = Less(change, kConstant<Number, kThicknessTolerance>);
    if constexpr (kTraced<Number>) {
      if (trace != nullptr) {
        trace->Pass(ThicknessPass{pass + 1, trial, moments.liveLoadMoment, moments.deadLoad,
                                  moments.deadLoadMoment, moment, depth, required, change,
                                  converged});
      }
    }
    if (converged) {
      result.converged = true;
      result.minThickness = required;
      result.designMoment = Settle(moment);  // the moment at the last trial, not at `required`
      return result;
    }
    if (!IsFinite(required)) {
      return result;  // M / R not positive and finite: no pass can recover
    }
    trial = required;
  }
  return result;
}

template <class Number>
MainSteelOf<Number> DesignMainSteel(const CaseNumbers<Number>& c, Number minThickness,
                                    Number designMoment, const BarValuesOf<Number>& bars) {
  // The quotients and products below are chains on positive values, run as
  // a thickness pass's are (ChainOf); the subtraction for the depth is not.
  using Chain = ChainOf<Number>;
  MainSteelOf<Number> steel;
  const Chain steps = Div(Defer(minThickness), kConstant<Chain, kThicknessStep>);
  steel.thicknessSteps = Settle(steps);
  const int32_t thicknessSteps =
      TruncateToInt32(Settle(Add(steps, kConstant<Chain, kThicknessRoundUpAddend>)));
  if (!FitsStepCount(thicknessSteps)) {
    return steel;
  }
  steel.actualThickness = 5 * thicknessSteps;

  const Number actual = FromInteger<Number>(steel.actualThickness);
  const Number belowBarCentre = Sub(actual, bars.halfMainBarDiameter);
  steel.effectiveDepth = Sub(belowBarCentre, c.topCover);
  const Chain momentNmm =
      Mul(kConstant<Chain, kSquareMillimetresPerSquareMetre>, Defer(designMoment));
  const Chain steelForDepth = Mul(momentNmm, Defer(c.steelAreaFactor));
  const Chain requiredSteelArea = Div(steelForDepth, Defer(steel.effectiveDepth));
  steel.requiredSteelArea = Settle(requiredSteelArea);

  // Bars of this size at this spacing give the required area; the spacing is
  // rounded down to a multiple of 5 mm.
  const Chain rawSpacing = Div(Defer(bars.mainBarAreaFactor), requiredSteelArea);
  steel.rawSpacing = Settle(rawSpacing);
  const int32_t spacingSteps =
      TruncateToInt32(Settle(Div(rawSpacing, kConstant<Chain, kThicknessStep>)));
  if (!FitsStepCount(spacingSteps)) {
    return steel;
  }
  steel.mainBarSpacing = 5 * spacingSteps;
  steel.inRange = true;
  return steel;
}

template <class Number>
SearchOutcome DesignThicknessAndMainBars(const CaseNumbers<Number>& c, Quad spanLength,
                                         Quad designSpan, Number designSpanNumber,
                                         Number firstTrialThickness, BarIndices& indices,
                                         BarValuesOf<Number>& bars, SpanDesign& span,
                                         SpanWorkingOf<Number>& working, SpanTrace* trace) {
  span = SpanDesign{};
  span.spanLength = spanLength;
  span.designSpan = designSpan;
  if constexpr (kTraced<Number>) {
    if (trace != nullptr) {
      trace->Attempt(SpanAttempt{spanLength, designSpan, BarDesignation(indices.main),
                                 BarDesignation(indices.distribution), bars.halfMainBarDiameter,
                                 bars.mainBarArea, bars.distBarArea});
    }
  }

  const MinimumThicknessOf<Number> minimum = FindMinimumThickness(
      c, designSpanNumber, firstTrialThickness, bars.halfMainBarDiameter, trace);
  if (!minimum.converged) {
    span.fault = SpanFault::kNoThickness;
    return SearchOutcome::kSettled;
  }
  const MainSteelOf<Number> steel =
      DesignMainSteel(c, minimum.minThickness, minimum.designMoment, bars);
  if constexpr (kTraced<Number>) {
    if (trace != nullptr) {
      trace->MainSteel(MainSteelSteps{minimum.minThickness, steel.thicknessSteps,
                                      steel.actualThickness, steel.effectiveDepth,
                                      minimum.designMoment, steel.requiredSteelArea,
                                      steel.rawSpacing, steel.mainBarSpacing, steel.inRange});
    }
  }
  if (!steel.inRange) {
    span.fault = SpanFault::kOutOfRange;
    return SearchOutcome::kSettled;
  }

  const Number spacing = FromInteger<Number>(steel.mainBarSpacing);
  if (Less(spacing, kConstant<Number, kLeastSpacing>)) {
    BarAdvance advance{spanLength, steel.mainBarSpacing, BarDesignation(indices.main)};
    if (indices.main >= kLastBarIndex) {
      if constexpr (kTraced<Number>) {
        if (trace != nullptr) {
          trace->Advance(advance);
        }
      }
      span.fault = SpanFault::kNoBarLargeEnough;
      return SearchOutcome::kSettled;
    }
    indices.main = indices.main + 1;
    indices.distribution = indices.distribution + 1;
    bars = LoadBarValuesOf<Number>(indices);
    if constexpr (kTraced<Number>) {
      if (trace != nullptr) {
        advance.toMainBar = BarDesignation(indices.main);
        advance.toDistributionBar = BarDesignation(indices.distribution);
        trace->Advance(advance);
      }
    }
    return SearchOutcome::kBarAdvance;
  }

  SetPrintedThickness(minimum.minThickness, span);
  span.actualThickness = steel.actualThickness;
  span.mainBarSpacing = steel.mainBarSpacing;
  span.mainBarDesignation = BarDesignation(indices.main);
  span.distBarDesignation = BarDesignation(indices.distribution);
  span.distBarArea = BarArea(indices.distribution);
  working.minThickness = minimum.minThickness;
  working.designMoment = minimum.designMoment;
  working.effectiveDepth = steel.effectiveDepth;
  working.requiredSteelArea = steel.requiredSteelArea;
  return SearchOutcome::kSettled;
}

void FillWorkingValues(const SpanWorkingOf<Quad>& working, SpanDesign& span) {
  span.minThickness = working.minThickness;
  span.minThicknessHundredths = 0;  // unrounded
  span.designMoment = working.designMoment;
  span.effectiveDepth = working.effectiveDepth;
  span.requiredSteelArea = working.requiredSteelArea;
}

namespace {

// The exact engine's value is itself the value printed.
void FillPrintedWorkingValue(Quad value, Quad& printed, SignificantDigits& /*digits*/) {
  printed = value;
}

// An interval's lower bound prints as every value in it does, the exact
// one among them, where CertainSignificantDigits makes its digits certain
// (the argument is at that function); a double converts to binary128
// exactly.
void FillPrintedWorkingValue(Enclosure value, Quad& printed, SignificantDigits& digits) {
  if (!CertainSignificantDigits(value, kWorkingValueDigits, digits)) {
    throw UncertainDecision{};
  }
  printed = FromDouble(value.lo);
}

}  // namespace

template <class Number>
void FillPrintedWorkingValues(const SpanWorkingOf<Number>& working, SpanDesign& span) {
  FillPrintedWorkingValue(working.designMoment, span.designMoment, span.workingDigits[0]);
  FillPrintedWorkingValue(working.effectiveDepth, span.effectiveDepth, span.workingDigits[1]);
  FillPrintedWorkingValue(working.requiredSteelArea, span.requiredSteelArea, span.workingDigits[2]);
  span.workingDigitsKnown = std::is_same_v<Number, Enclosure>;
}

void SetPrintedThickness(Quad minThickness, SpanDesign& span) {
  const ScaledDecimal scaled = RoundToDecimals(minThickness, 2);
  if (!scaled.fits || scaled.negative || scaled.magnitude >= kLargestHundredths) {
    span.minThickness = minThickness;
    span.minThicknessHundredths = 0;
    return;
  }
  const auto hundredths = static_cast<int64_t>(scaled.magnitude);
  span.minThickness = Mul(static_cast<Quad>(hundredths), kOneHundredth);
  span.minThicknessHundredths = hundredths;
}

namespace {

// A count of hundredths (0 to 2^40, so exact in binary128) as a binary128
// value, from its bits: the same value as the conversion, which is a
// library call that handles every rounding mode and width.
Quad FromHundredths(int64_t hundredths) {
  if (hundredths <= 0) {
    return 0;
  }
  const auto magnitude = static_cast<uint64_t>(hundredths);
  const int exponent = 63 - __builtin_clzll(magnitude);
  const unsigned __int128 significand = static_cast<unsigned __int128>(magnitude)
                                        << (quad_detail::kFractionBits - exponent);
  return quad_detail::FromBits(quad_detail::Pack(0, quad_detail::kBias + exponent, significand));
}

}  // namespace

void SetPrintedThickness(Enclosure minThickness, SpanDesign& span) {
  const int64_t hundredths = RoundToHundredths(minThickness);
  span.minThickness = Mul(FromHundredths(hundredths), kOneHundredth);
  span.minThicknessHundredths = std::max<int64_t>(hundredths, 0);
}

template void FillPrintedWorkingValues(const SpanWorkingOf<Quad>&, SpanDesign&);
template void FillPrintedWorkingValues(const SpanWorkingOf<Enclosure>&, SpanDesign&);
template BarValuesOf<Quad> LoadBarValuesOf<Quad>(const BarIndices&);
template BarValuesOf<Enclosure> LoadBarValuesOf<Enclosure>(const BarIndices&);
template MinimumThicknessOf<Quad> FindMinimumThickness(const CaseNumbers<Quad>&, Quad, Quad, Quad,
                                                       SpanTrace*);
template MinimumThicknessOf<Enclosure> FindMinimumThickness(const CaseNumbers<Enclosure>&,
                                                            Enclosure, Enclosure, Enclosure,
                                                            SpanTrace*);
template MainSteelOf<Quad> DesignMainSteel(const CaseNumbers<Quad>&, Quad, Quad,
                                           const BarValuesOf<Quad>&);
template MainSteelOf<Enclosure> DesignMainSteel(const CaseNumbers<Enclosure>&, Enclosure, Enclosure,
                                                const BarValuesOf<Enclosure>&);
template SearchOutcome DesignThicknessAndMainBars(const CaseNumbers<Quad>&, Quad, Quad, Quad, Quad,
                                                  BarIndices&, BarValuesOf<Quad>&, SpanDesign&,
                                                  SpanWorkingOf<Quad>&, SpanTrace*);
template SearchOutcome DesignThicknessAndMainBars(const CaseNumbers<Enclosure>&, Quad, Quad,
                                                  Enclosure, Enclosure, BarIndices&,
                                                  BarValuesOf<Enclosure>&, SpanDesign&,
                                                  SpanWorkingOf<Enclosure>&, SpanTrace*);

}  // namespace kalvorden
