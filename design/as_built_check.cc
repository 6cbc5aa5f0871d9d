#include "design/as_built_check.h"

#include <algorithm>
#include <array>
#include <vector>

#include "design/bar_table.h"
#include "design/design_constants.h"
#include "design/design_inputs.h"
#include "design/design_numbers.h"
#include "numeric/decimal.h"
#include "numeric/enclosure.h"
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

bool IsCheckable(const AsBuiltRow& row, int32_t bar) {
  return bar != 0 && row.mainBarSpacing > 0 && row.thickness > 0 && row.spanMillimetres > 0;
}

int32_t DeadLoadDivisorOf(const AsBuiltRow& row) {
  return row.continuous ? 10 : 8;
}

// The recommended least thickness, max(S + 3000, 4950) / 30 mm or / 25 for
// a simple span, as a quotient of whole numbers.
struct LeastThicknessQuotient {
  int64_t numerator = 0;
  int32_t divisor = 0;
};
LeastThicknessQuotient LeastThicknessOf(const AsBuiltRow& row) {
  return {std::max<int64_t>(int64_t{row.spanMillimetres} + kThicknessSpanAddend,
                            kLeastThicknessNumerator),
          row.continuous ? kContinuousDivisor : kSimpleDivisor};
}

// The section as built and its service moment, in this order of
// operations in either number type: CheckAsBuilt computes it exactly, and
// PrintedAsBuilt as an enclosure of the exact values.
template <class Number>
struct AsBuiltSectionOf {
  Number span{};
  Number steelArea{};
  Number effectiveDepth{};
  Number liveLoadMoment{};
  Number deadLoad{};
  Number deadLoadMoment{};
  Number serviceMoment{};
  CrackedSectionOf<Number> section;
};

// What the section reads of the case, in the number type: the live-load
// moment per metre of span plus its addend (the wheel load with continuity
// and impact over its divisor), the cover and the paving.
template <class Number>
struct SectionValues {
  Number liveLoadFactor;
  Number topCover;
  Number futurePaving;
};

template <class Number>
SectionValues<Number> SectionValuesOf(bool continuous, Number wheelLoad, Number topCover,
                                      Number futurePaving) {
  const Number one = kConstant<Number, kOne>;
  const Number continuityFactor = continuous ? kConstant<Number, kContinuityFactor> : one;
  const Number impactLoad =
      Mul(Mul(wheelLoad, continuityFactor), Add(one, kConstant<Number, kImpactFraction>));
  return {Div(impactLoad, kConstant<Number, kWheelLoadDivisor>), topCover, futurePaving};
}

// What the section reads of the main bar: the area of its bars per metre
// of width times their spacing, and half its diameter.
template <class Number>
struct BarValues {
  Number thousandAreas;
  Number halfDiameter;
};

template <class Number>
BarValues<Number> BarValuesOf(int32_t bar) {
  return {Mul(kConstant<Number, kThousand>, FromQuad<Number>(BarArea(bar))),
          Div(FromQuad<Number>(BarDiameter(bar)), kConstant<Number, kTwo>)};
}

// The enclosures of every bar's values, made once.
const BarValues<Enclosure>& EnclosedBarValues(int32_t bar) {
  static const auto kEnclosed = [] {
    std::array<BarValues<Enclosure>, kLastBarIndex + 1> values{};
    for (int32_t index = kFirstBarIndex; index <= kLastBarIndex; ++index) {
      values[static_cast<size_t>(index)] = BarValuesOf<Enclosure>(index);
    }
    return values;
  }();
  return kEnclosed[static_cast<size_t>(bar)];
}

template <class Number>
AsBuiltSectionOf<Number> AsBuiltSection(const AsBuiltRow& row, const BarValues<Number>& bar,
                                        const SectionValues<Number>& values) {
  AsBuiltSectionOf<Number> s;
  const Number thousand = kConstant<Number, kThousand>;
  const Number thickness = FromInteger<Number>(row.thickness);
  const Number spacing = FromInteger<Number>(row.mainBarSpacing);
  s.span = Div(FromInteger<Number>(row.spanMillimetres), thousand);

  s.steelArea = Div(bar.thousandAreas, spacing);
  s.effectiveDepth = Sub(Sub(thickness, bar.halfDiameter), values.topCover);

  // The service moment: the live-load moment as the design takes it, the
  // dead-load moment of the slab's own weight at the actual thickness.
  s.liveLoadMoment =
      Mul(Add(s.span, kConstant<Number, kLiveLoadSpanAddend>), values.liveLoadFactor);
  s.deadLoad = Add(Mul(thickness, kConstant<Number, kSlabWeightFactor>), values.futurePaving);
  const Number loadTimesSpanSquared = Mul(Mul(s.deadLoad, s.span), s.span);
  s.deadLoadMoment = Div(loadTimesSpanSquared, FromInteger<Number>(DeadLoadDivisorOf(row)));
  s.serviceMoment = Add(s.liveLoadMoment, s.deadLoadMoment);

  s.section = AnalyseCrackedSection(s.steelArea, s.effectiveDepth,
                                    FromInteger<Number>(row.modularRatio), s.serviceMoment);
  return s;
}

// The cover check, on the entered value: the same for every row of a case.
uint32_t CoverFailure(Quad topCover) {
  return topCover >= static_cast<Quad>(kLeastDeckTopCover) ? 0U : uint32_t{kCoverFails};
}

// The checks decided on whole numbers: thickness and spacing.
uint32_t WholeNumberFailures(const AsBuiltRow& row) {
  uint32_t failed = 0;
  const LeastThicknessQuotient least = LeastThicknessOf(row);
  if (int64_t{row.thickness} * least.divisor < least.numerator) {
    failed |= kThicknessFails;
  }
  const int64_t threeHalvesThickness2 = int64_t{3} * row.thickness;  // 2 x 1.5 t
  const bool spacingWithinThickness = int64_t{2} * row.mainBarSpacing <= threeHalvesThickness2;
  if (!spacingWithinThickness || row.mainBarSpacing > kLargestMainBarSpacing) {
    failed |= kSpacingFails;
  }
  return failed;
}

// A whole number of decimal units, positive, as RoundToDecimals gives it.
ScaledDecimal ScaledWhole(uint64_t magnitude) {
  ScaledDecimal scaled;
  scaled.fits = true;
  scaled.magnitude = magnitude;
  return scaled;
}

}  // namespace

AsBuiltCheck CheckAsBuilt(const AsBuiltRow& row) {
  AsBuiltCheck check;
  const int32_t bar = BarIndexOf(row.mainBarDesignation);
  if (!IsCheckable(row, bar)) {
    return check;
  }
  check.known = true;
  const Quad thickness = row.thickness;
  const Quad spacing = row.mainBarSpacing;
  const AsBuiltSectionOf<Quad> s = AsBuiltSection<Quad>(
      row, BarValuesOf<Quad>(bar),
      SectionValuesOf<Quad>(row.continuous, row.wheelLoad, row.topCover, row.futurePaving));
  check.span = s.span;
  check.steelArea = s.steelArea;
  check.effectiveDepth = s.effectiveDepth;
  check.liveLoadMoment = s.liveLoadMoment;
  check.deadLoad = s.deadLoad;
  check.deadLoadDivisor = DeadLoadDivisorOf(row);
  check.deadLoadMoment = s.deadLoadMoment;
  check.serviceMoment = s.serviceMoment;
  check.section = s.section;
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
  const LeastThicknessQuotient least = LeastThicknessOf(row);
  check.leastThickness = Div(static_cast<Quad>(least.numerator), static_cast<Quad>(least.divisor));
  check.thicknessMargin = Sub(thickness, check.leastThickness);
  check.largestSpacing =
      std::min(Mul(static_cast<Quad>(1.5), thickness), static_cast<Quad>(kLargestMainBarSpacing));
  check.spacingMargin = Sub(check.largestSpacing, spacing);
  check.coverMargin = Sub(row.topCover, static_cast<Quad>(kLeastDeckTopCover));
  check.failed |= WholeNumberFailures(row) | CoverFailure(row.topCover);
  return check;
}

// Why the figures are those CheckAsBuilt's print.
//
// The stresses. AsBuiltSection<Enclosure> runs the operations of the exact
// check in the same order on enclosures (numeric/enclosure.h), the case's
// live-load factor (SectionValuesOf) and the bar's values (BarValuesOf)
// made once by the same functions, so each interval holds the binary128
// value CheckAsBuilt computes. RoundToHundredths
// gives the hundredths that value rounds to by the report's rule only when
// every value of the interval gives them, and Less decides fs <= allowed
// only when every value of both intervals decides alike; a depth not
// certainly above zero, where the exact check fails both stresses whatever
// they are, goes to the exact check too. Any decision the intervals leave
// open throws, and CheckAsBuilt itself answers.
//
// The least thickness. The binary128 quotient n / d (d 30 or 25, n under
// 2^32) is within 2^-113 of itself of the exact one, so its hundredths
// differ from the exact 100 n / d by under 2^-70; 100 n / 30 = 10 n / 3 and
// 100 n / 25 = 4 n lie at least 1/6 from any halfway point k + 1/2, so both
// round to the same hundredths: the exact quotient's, rounded half up.
//
// The largest spacing. 1.5 t is exact in binary128 (t under 2^31), so the
// tenths printed are min(15 t, 4500) exactly.
AsBuiltCaseEnclosures EncloseCaseOf(const AsBuiltRow& row) {
  const SectionValues<Enclosure> values = SectionValuesOf<Enclosure>(
      row.continuous, Enclose(row.wheelLoad), Enclose(row.topCover), Enclose(row.futurePaving));
  return {values.liveLoadFactor,
          values.topCover,
          values.futurePaving,
          Enclose(row.allowableSteel),
          Enclose(row.allowableConcrete),
          CoverFailure(row.topCover)};
}

PrintedAsBuiltCheck PrintedAsBuilt(const AsBuiltRow& row) {
  return PrintedAsBuilt(row, EncloseCaseOf(row));
}

PrintedAsBuiltCheck PrintedAsBuilt(const AsBuiltRow& row, const AsBuiltCaseEnclosures& enclosed) {
  static_assert(kAsBuiltStressDecimals == 2 && kLeastThicknessDecimals == 2 &&
                kLargestSpacingDecimals == 1);
  PrintedAsBuiltCheck printed;
  const int32_t bar = BarIndexOf(row.mainBarDesignation);
  if (!IsCheckable(row, bar)) {
    return printed;
  }
  printed.known = true;
  // Hundredths of n / d rounded half up: (200 n + d) / 2d, d a constant of
  // each kind of slab (a division by a constant is a multiplication).
  const LeastThicknessQuotient least = LeastThicknessOf(row);
  const int64_t roundingNumerator = 200 * least.numerator + least.divisor;
  printed.leastThickness = ScaledWhole(
      static_cast<uint64_t>(row.continuous ? roundingNumerator / (int64_t{2} * kContinuousDivisor)
                                           : roundingNumerator / (int64_t{2} * kSimpleDivisor)));
  printed.largestSpacing = ScaledWhole(static_cast<uint64_t>(
      std::min<int64_t>(int64_t{15} * row.thickness, int64_t{10} * kLargestMainBarSpacing)));
  printed.failed = WholeNumberFailures(row) | enclosed.coverFailure;
  try {
    const AsBuiltSectionOf<Enclosure> s = AsBuiltSection<Enclosure>(
        row, EnclosedBarValues(bar),
        {enclosed.liveLoadFactor, enclosed.topCover, enclosed.futurePaving});
    if (!Less(EncloseInteger(0), s.effectiveDepth)) {
      throw UncertainDecision{};
    }
    printed.steelStress = ScaledWhole(RoundToHundredths(s.section.steelStress));
    printed.concreteStress = ScaledWhole(RoundToHundredths(s.section.concreteStress));
    if (Less(enclosed.allowableSteel, s.section.steelStress)) {
      printed.failed |= kSteelStressFails;
    }
    if (Less(enclosed.allowableConcrete, s.section.concreteStress)) {
      printed.failed |= kConcreteStressFails;
    }
  } catch (const UncertainDecision&) {
    const AsBuiltCheck check = CheckAsBuilt(row);
    printed.steelStress = RoundToDecimals(check.section.steelStress, kAsBuiltStressDecimals);
    printed.concreteStress = RoundToDecimals(check.section.concreteStress, kAsBuiltStressDecimals);
    printed.failed = check.failed;
  }
  return printed;
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
  return AsBuiltRowOf(row, span, spanMillimetres);
}

AsBuiltRow AsBuiltRowOf(AsBuiltRow row, const SpanDesign& span, int32_t spanMillimetres) {
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

}  // namespace

std::string FailingSpansLine(const DesignCase& c, std::span<const SpanDesign> spans) {
  // The failed checks decided on enclosures, as the CSV and the PDF decide
  // them (PrintedAsBuilt: the same checks as CheckAsBuilt's).
  const AsBuiltRow caseRow = AsBuiltRowOf(c, {}, 0);
  const AsBuiltCaseEnclosures enclosed = EncloseCaseOf(caseRow);
  std::vector<uint32_t> failed(spans.size(), 0);
  for (size_t i = 0; i < spans.size(); ++i) {
    const int32_t length = PrintedSpanMillimetres(static_cast<int32_t>(i));
    const PrintedAsBuiltCheck check =
        PrintedAsBuilt(AsBuiltRowOf(caseRow, spans[i], length), enclosed);
    failed[i] = check.known ? check.failed : 0;
  }
  return FailingSpansLine(failed);
}

std::string FailingSpansLine(std::span<const uint32_t> failed) {
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
      runs += FixedUnitsText(PrintedSpanMillimetres(static_cast<int32_t>(i)), 3);
      if (last > i) {
        runs += " to ";
        runs += FixedUnitsText(PrintedSpanMillimetres(static_cast<int32_t>(last)), 3);
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
