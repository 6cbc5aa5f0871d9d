#include "design/thickness_search.h"

#include "design/bar_table.h"
#include "design/design_constants.h"
#include "design/span_sweep.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kTwo = 2;

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

BarValues LoadBarValues(const BarIndices& indices) {
  BarValues bars;
  bars.halfMainBarDiameter = Div(BarDiameter(indices.main), kTwo);
  bars.mainBarArea = BarArea(indices.main);
  bars.distBarArea = BarArea(indices.distribution);
  bars.mainBarAreaFactor = Mul(kMillimetresPerMetre, bars.mainBarArea);
  return bars;
}

MinimumThickness FindMinimumThickness(const DesignCase& c, Quad designSpan,
                                      Quad firstTrialThickness, Quad halfMainBarDiameter,
                                      SpanTrace* trace) {
  MinimumThickness result;
  Quad trial = firstTrialThickness;
  for (int pass = 0; pass < kMaxThicknessPasses; ++pass) {
    const DesignMoments moments = DesignMoment(designSpan, trial, c);
    const Quad moment = moments.designMoment;
    // The effective depth the moment needs: d = 1000 sqrt(M / R), in mm.
    const Quad ratio = Div(moment, c.resistingMomentFactor);
    const Quad depth = Mul(kMillimetresPerMetre, SquareRoot(ratio));
    const Quad withHalfBar = Add(depth, halfMainBarDiameter);
    const Quad required = Add(withHalfBar, c.topCover);
    const Quad change = Abs(Sub(required, trial));
    const bool converged = Less(change, kThicknessTolerance);
    if (trace != nullptr) {
      trace->Pass(ThicknessPass{pass + 1, trial, moments.liveLoadMoment, moments.deadLoad,
                                moments.deadLoadMoment, moment, depth, required, change,
                                converged});
    }
    if (converged) {
      result.converged = true;
      result.minThickness = required;
      result.designMoment = moment;  // the moment at the last trial, not at `required`
      return result;
    }
    if (!IsFinite(required)) {
      return result;  // M / R not positive and finite: no pass can recover
    }
    trial = required;
  }
  return result;
}

MainSteel DesignMainSteel(const DesignCase& c, Quad minThickness, Quad designMoment,
                          const BarValues& bars) {
  MainSteel steel;
  steel.thicknessSteps = Div(minThickness, kThicknessStep);
  const int32_t thicknessSteps =
      TruncateToInt32(Add(steel.thicknessSteps, kThicknessRoundUpAddend));
  if (!FitsStepCount(thicknessSteps)) {
    return steel;
  }
  steel.actualThickness = 5 * thicknessSteps;

  const Quad actual = steel.actualThickness;
  const Quad belowBarCentre = Sub(actual, bars.halfMainBarDiameter);
  steel.effectiveDepth = Sub(belowBarCentre, c.topCover);
  const Quad momentNmm = Mul(kSquareMillimetresPerSquareMetre, designMoment);
  const Quad steelForDepth = Mul(momentNmm, c.steelAreaFactor);
  steel.requiredSteelArea = Div(steelForDepth, steel.effectiveDepth);

  // Bars of this size at this spacing give the required area; the spacing is
  // rounded down to a multiple of 5 mm.
  steel.rawSpacing = Div(bars.mainBarAreaFactor, steel.requiredSteelArea);
  const int32_t spacingSteps = TruncateToInt32(Div(steel.rawSpacing, kThicknessStep));
  if (!FitsStepCount(spacingSteps)) {
    return steel;
  }
  steel.mainBarSpacing = 5 * spacingSteps;
  steel.inRange = true;
  return steel;
}

SearchOutcome DesignThicknessAndMainBars(const DesignCase& c, Quad spanLength, Quad designSpan,
                                         Quad firstTrialThickness, BarIndices& indices,
                                         BarValues& bars, SpanDesign& span, SpanTrace* trace) {
  span = SpanDesign{};
  span.spanLength = spanLength;
  span.designSpan = designSpan;
  if (trace != nullptr) {
    trace->Attempt(SpanAttempt{spanLength, designSpan, BarDesignation(indices.main),
                               BarDesignation(indices.distribution), bars.halfMainBarDiameter,
                               bars.mainBarArea, bars.distBarArea});
  }

  const MinimumThickness minimum =
      FindMinimumThickness(c, designSpan, firstTrialThickness, bars.halfMainBarDiameter, trace);
  if (!minimum.converged) {
    span.fault = SpanFault::kNoThickness;
    return SearchOutcome::kSettled;
  }
  const MainSteel steel = DesignMainSteel(c, minimum.minThickness, minimum.designMoment, bars);
  if (trace != nullptr) {
    trace->MainSteel(MainSteelSteps{minimum.minThickness, steel.thicknessSteps,
                                    steel.actualThickness, steel.effectiveDepth,
                                    minimum.designMoment, steel.requiredSteelArea, steel.rawSpacing,
                                    steel.mainBarSpacing, steel.inRange});
  }
  if (!steel.inRange) {
    span.fault = SpanFault::kOutOfRange;
    return SearchOutcome::kSettled;
  }

  const Quad spacing = steel.mainBarSpacing;
  if (Less(spacing, kLeastSpacing)) {
    BarAdvance advance{spanLength, steel.mainBarSpacing, BarDesignation(indices.main),
                       BarDesignation(indices.distribution)};
    if (indices.main >= kLastBarIndex) {
      if (trace != nullptr) {
        trace->Advance(advance);
      }
      span.fault = SpanFault::kNoBarLargeEnough;
      return SearchOutcome::kSettled;
    }
    indices.main = indices.main + 1;
    indices.distribution = indices.distribution + 1;
    bars = LoadBarValues(indices);
    if (trace != nullptr) {
      advance.toMainBar = BarDesignation(indices.main);
      advance.toDistributionBar = BarDesignation(indices.distribution);
      trace->Advance(advance);
    }
    return SearchOutcome::kBarAdvance;
  }

  span.minThickness = minimum.minThickness;
  span.designMoment = minimum.designMoment;
  span.actualThickness = steel.actualThickness;
  span.effectiveDepth = steel.effectiveDepth;
  span.requiredSteelArea = steel.requiredSteelArea;
  span.mainBarSpacing = steel.mainBarSpacing;
  span.mainBarDesignation = BarDesignation(indices.main);
  span.distBarDesignation = BarDesignation(indices.distribution);
  span.distBarArea = bars.distBarArea;
  return SearchOutcome::kSettled;
}

}  // namespace kalvorden
