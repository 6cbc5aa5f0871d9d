#include "design/thickness_search.h"

#include "design/bar_table.h"
#include "design/span_sweep.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kTwo = 2;
constexpr Quad kMillimetresPerMetre = 1000;
constexpr Quad kSquareMillimetresPerSquareMetre = 1000000;
constexpr Quad kThicknessStep = 5;   // mm: slabs are made in 5 mm steps
constexpr Quad kLeastSpacing = 125;  // mm: closer main bars cannot be placed
// The iteration has converged when a pass changes the thickness by less than
// this (mm).
constexpr Quad kThicknessTolerance = Widen(0.0001f);  // 0.0000999999974737875163555145263671875
// Rounds a thickness up to the next 5 mm step, keeping one that lies within
// about 0.005 mm above a step on that step.
constexpr Quad kRoundUpAddend = Widen(0.999f);  // 0.999000012874603271484375

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
                                      Quad firstTrialThickness, Quad halfMainBarDiameter) {
  MinimumThickness result;
  Quad trial = firstTrialThickness;
  for (int pass = 0; pass < kMaxThicknessPasses; ++pass) {
    const Quad moment = DesignMoment(designSpan, trial, c).designMoment;
    // The effective depth the moment needs: d = 1000 sqrt(M / R), in mm.
    const Quad ratio = Div(moment, c.resistingMomentFactor);
    const Quad depth = Mul(kMillimetresPerMetre, SquareRoot(ratio));
    const Quad withHalfBar = Add(depth, halfMainBarDiameter);
    const Quad required = Add(withHalfBar, c.topCover);
    if (Less(Abs(Sub(required, trial)), kThicknessTolerance)) {
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
  const Quad steps = Div(minThickness, kThicknessStep);
  const int32_t thicknessSteps = TruncateToInt32(Add(steps, kRoundUpAddend));
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
  const Quad rawSpacing = Div(bars.mainBarAreaFactor, steel.requiredSteelArea);
  const int32_t spacingSteps = TruncateToInt32(Div(rawSpacing, kThicknessStep));
  if (!FitsStepCount(spacingSteps)) {
    return steel;
  }
  steel.mainBarSpacing = 5 * spacingSteps;
  steel.inRange = true;
  return steel;
}

SearchOutcome DesignThicknessAndMainBars(const DesignCase& c, Quad spanLength, Quad designSpan,
                                         Quad firstTrialThickness, BarIndices& indices,
                                         BarValues& bars, SpanDesign& span) {
  span = SpanDesign{};
  span.spanLength = spanLength;
  span.designSpan = designSpan;

  const MinimumThickness minimum =
      FindMinimumThickness(c, designSpan, firstTrialThickness, bars.halfMainBarDiameter);
  if (!minimum.converged) {
    span.fault = SpanFault::kNoThickness;
    return SearchOutcome::kSettled;
  }
  const MainSteel steel = DesignMainSteel(c, minimum.minThickness, minimum.designMoment, bars);
  if (!steel.inRange) {
    span.fault = SpanFault::kOutOfRange;
    return SearchOutcome::kSettled;
  }

  const Quad spacing = steel.mainBarSpacing;
  if (Less(spacing, kLeastSpacing)) {
    if (indices.main >= kLastBarIndex) {
      span.fault = SpanFault::kNoBarLargeEnough;
      return SearchOutcome::kSettled;
    }
    indices.main = indices.main + 1;
    indices.distribution = indices.distribution + 1;
    bars = LoadBarValues(indices);
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
