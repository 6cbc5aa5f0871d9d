#include "design/as_built_check.h"

#include <algorithm>
#include <vector>

#include "design/bar_table.h"
#include "design/design_constants.h"
#include "design/design_inputs.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kOne = 1;
constexpr Quad kTwo = 2;
constexpr Quad kThousand = 1000;
// The recommended least thickness: (S + 3000) / 30 mm for a continuous
// slab; 1.2 (S + 3000) / 30 = (S + 3000) / 25 for a simple span. The least
// 165 mm is 4950 / 30.
constexpr int32_t kThicknessSpanAddend = 3000;
constexpr int32_t kContinuousDivisor = 30;
constexpr int32_t kSimpleDivisor = 25;
constexpr int32_t kLeastThicknessNumerator = kLeastSlabThickness * kContinuousDivisor;

}  // namespace

AsBuiltCheck CheckAsBuilt(const AsBuiltRow& row) {
  AsBuiltCheck check;
  const int32_t bar = BarIndexOf(row.mainBarDesignation);
  if (bar == 0 || row.mainBarSpacing <= 0 || row.thickness <= 0 || row.spanMillimetres <= 0) {
    return check;
  }
  check.known = true;
  const Quad thickness = row.thickness;
  const Quad spacing = row.mainBarSpacing;
  check.span = Div(static_cast<Quad>(row.spanMillimetres), kThousand);

  // The section as built.
  check.steelArea = Div(Mul(kThousand, BarArea(bar)), spacing);
  const Quad halfBar = Div(BarDiameter(bar), kTwo);
  check.effectiveDepth = Sub(Sub(thickness, halfBar), row.topCover);

  // The service moment: the live-load moment as the design takes it, the
  // dead-load moment of the slab's own weight at the actual thickness.
  const Quad continuityFactor = row.continuous ? kContinuityFactor : kOne;
  const Quad impactLoad = Mul(Mul(row.wheelLoad, continuityFactor), Add(kOne, kImpactFraction));
  const Quad liveLoadFactor = Div(impactLoad, kWheelLoadDivisor);
  check.liveLoadMoment = Mul(Add(check.span, kLiveLoadSpanAddend), liveLoadFactor);
  check.deadLoad = Add(Mul(thickness, kSlabWeightFactor), row.futurePaving);
  check.deadLoadDivisor = row.continuous ? 10 : 8;
  const Quad loadTimesSpanSquared = Mul(Mul(check.deadLoad, check.span), check.span);
  check.deadLoadMoment = Div(loadTimesSpanSquared, static_cast<Quad>(check.deadLoadDivisor));
  check.serviceMoment = Add(check.liveLoadMoment, check.deadLoadMoment);

  check.section = AnalyseCrackedSection(check.steelArea, check.effectiveDepth,
                                        static_cast<Quad>(row.modularRatio), check.serviceMoment);
  check.steelStressMargin = Sub(row.allowableSteel, check.section.steelStress);
  check.concreteStressMargin = Sub(row.allowableConcrete, check.section.concreteStress);
  // A stress that is not a number (a depth of zero or less) fails.
  if (!(check.section.steelStress <= row.allowableSteel) || !(check.effectiveDepth > 0)) {
    check.failed |= kSteelStressFails;
  }
  if (!(check.section.concreteStress <= row.allowableConcrete) || !(check.effectiveDepth > 0)) {
    check.failed |= kConcreteStressFails;
  }

  // The limits are decided on whole numbers, exactly; the printed least
  // thickness is the quotient rounded once.
  const int64_t numerator = std::max<int64_t>(int64_t{row.spanMillimetres} + kThicknessSpanAddend,
                                              kLeastThicknessNumerator);
  const int32_t divisor = row.continuous ? kContinuousDivisor : kSimpleDivisor;
  check.leastThickness = Div(static_cast<Quad>(numerator), static_cast<Quad>(divisor));
  check.thicknessMargin = Sub(thickness, check.leastThickness);
  if (int64_t{row.thickness} * divisor < numerator) {
    check.failed |= kThicknessFails;
  }
  const int64_t threeHalvesThickness2 = int64_t{3} * row.thickness;  // 2 x 1.5 t
  const bool spacingWithinThickness = int64_t{2} * row.mainBarSpacing <= threeHalvesThickness2;
  check.largestSpacing =
      std::min(Mul(static_cast<Quad>(1.5), thickness), static_cast<Quad>(kLargestMainBarSpacing));
  check.spacingMargin = Sub(check.largestSpacing, spacing);
  if (!spacingWithinThickness || row.mainBarSpacing > kLargestMainBarSpacing) {
    check.failed |= kSpacingFails;
  }
  check.coverMargin = Sub(row.topCover, static_cast<Quad>(kLeastDeckTopCover));
  if (!(row.topCover >= static_cast<Quad>(kLeastDeckTopCover))) {
    check.failed |= kCoverFails;
  }
  return check;
}

AsBuiltRow AsBuiltRowOf(const DesignCase& c, const SpanDesign& span, int32_t spanMillimetres) {
  AsBuiltRow row;
  row.wheelLoad = c.wheelLoad;
  row.topCover = c.topCover;
  row.futurePaving = c.futurePaving;
  row.allowableSteel = c.steelStress;
  row.allowableConcrete = c.concreteStress;
  row.modularRatio = c.modularRatio;
  row.continuous = c.continuityFactor != kOne;
  row.spanMillimetres = spanMillimetres;
  if (span.fault == SpanFault::kNone) {
    row.thickness = span.actualThickness;
    row.mainBarDesignation = span.mainBarDesignation;
    row.mainBarSpacing = span.mainBarSpacing;
  }
  return row;
}

namespace {

constexpr const char* kCheckNames[] = {"fs", "fc", "thickness", "spacing", "cover"};

// The printed span of sweep index i: 1.000 m plus i x 25 mm, in mm.
int32_t SpanMillimetresOf(size_t index) {
  return 1000 + 25 * static_cast<int32_t>(index);
}

std::string Metres(int32_t millimetres) {
  const std::string thousandths = std::to_string(1000 + millimetres % 1000);
  return std::to_string(millimetres / 1000) + "." + thousandths.substr(1);
}

}  // namespace

std::string FailingSpansLine(const DesignCase& c, std::span<const SpanDesign> spans) {
  std::vector<uint32_t> failed(spans.size(), 0);
  for (size_t i = 0; i < spans.size(); ++i) {
    const int32_t length = SpanMillimetresOf(i);
    const AsBuiltCheck check = CheckAsBuilt(AsBuiltRowOf(c, spans[i], length));
    failed[i] = check.known ? check.failed : 0;
  }
  std::string line;
  for (uint32_t bit = 0; bit < std::size(kCheckNames); ++bit) {
    std::string runs;
    for (size_t i = 0; i < failed.size(); ++i) {
      if ((failed[i] & (1U << bit)) == 0) {
        continue;
      }
      size_t last = i;
      while (last + 1 < failed.size() && (failed[last + 1] & (1U << bit)) != 0) {
        ++last;
      }
      // Appended piece by piece: g++ 12 warns falsely of an overflow in
      // "literal" + string at the release build's link.
      runs += runs.empty() ? "" : ", ";
      runs += Metres(SpanMillimetresOf(i));
      if (last > i) {
        runs += " to ";
        runs += Metres(SpanMillimetresOf(last));
      }
      i = last;
    }
    if (!runs.empty()) {
      line += line.empty() ? "" : "; ";
      line += kCheckNames[bit];
      line += " at " + runs + " m";
    }
  }
  return line.empty() ? "every designed row meets every check" : "fails " + line;
}

std::string CheckNames(uint32_t failed) {
  if (failed == 0) {
    return "OK";
  }
  std::string names;
  for (uint32_t bit = 0; bit < std::size(kCheckNames); ++bit) {
    if ((failed & (1U << bit)) != 0) {
      if (!names.empty()) {
        names += ' ';
      }
      names += kCheckNames[bit];
    }
  }
  return names;
}

}  // namespace kalvorden
