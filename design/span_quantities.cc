#include "design/span_quantities.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "design/bar_table.h"
#include "numeric/decimal.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

using Whole = unsigned __int128;

constexpr Whole kThousand = 1000;

// numerator / denominator x 10^decimals (decimals 0 to 3) rounded to
// nearest, a value exactly halfway up: the printed figure, (2 n 10^d + q) /
// 2q. In the narrowest arithmetic that holds it, as a wider division takes
// longer: for every slab a design produces, n and q are under 2^40, so the
// sum is under 2^51 and fits 64 bits; a 128-bit division is a library call.
Whole RoundedQuotient(Whole numerator, Whole denominator, int decimals) {
  constexpr uint64_t kScales[] = {1, 10, 100, 1000};
  static_assert(std::max({kSteelAreaDecimals, kConcreteDecimals, kSteelMassDecimals,
                          kSteelPerConcreteDecimals}) < static_cast<int>(std::size(kScales)));
  const uint64_t scale = kScales[decimals];
  if ((numerator >> 40) == 0 && (denominator >> 40) == 0) {
    const uint64_t dividend =
        2 * static_cast<uint64_t>(numerator) * scale + static_cast<uint64_t>(denominator);
    const uint64_t divisor = 2 * static_cast<uint64_t>(denominator);
    if ((dividend >> 32) == 0 && (divisor >> 32) == 0) {
      return static_cast<uint32_t>(dividend) / static_cast<uint32_t>(divisor);
    }
    return dividend / divisor;
  }
  return (2 * numerator * scale + denominator) / (2 * denominator);
}

// The exact quotient numerator / denominator of two whole numbers below
// 2^113 (so each converts to binary128 exactly), rounded once, as a
// binary128 value that prints at `decimals` by the report's rule: the exact
// quotient rounded to nearest, a value exactly halfway away from zero. The
// figure is decided on the whole numbers. The quotient rounded to nearest
// prints it, except where a halfway point lies between the two (8.245,
// which binary128 cannot hold, is 8.24499...): that point is within half a
// unit in the last place of the rounded quotient, so its neighbour on the
// exact side lies beyond it and prints the figure.
Quad QuotientPrintedByRule(Whole numerator, Whole denominator, int decimals) {
  Quad quotient = Div(static_cast<Quad>(numerator), static_cast<Quad>(denominator));
  const Whole printed = RoundedQuotient(numerator, denominator, decimals);
  const Whole shown = RoundToDecimals(quotient, decimals).magnitude;
  if (shown != printed) {
    const Whole bits = quad_detail::Bits(quotient);
    quotient = quad_detail::FromBits(shown < printed ? bits + 1 : bits - 1);
  }
  return quotient;
}

// The figures' exact quotients of whole numbers, in the order of
// SpanQuantities, with their printed decimals. Left unset until QuotientsOf
// sets them all: a run makes millions.
struct Quotient {
  Whole numerator;
  Whole denominator;
  int decimals;
};
constexpr size_t kFigures = 6;
constexpr size_t kTotalSteelFigure = 4;
using Quotients = std::array<Quotient, kFigures>;

// False for a span that has no quantities.
bool QuotientsOf(const SpanDesign& span, int32_t spanMillimetres, Quotients& quotients) {
  const int32_t mainBar = BarIndexOf(span.mainBarDesignation);
  const int32_t distributionBar = BarIndexOf(span.distBarDesignation);
  // A designed span always has both bars, a spacing of at least 125 mm and a
  // thickness of at least 10 mm (half a bar diameter and the cover); the
  // test only keeps a row that is not one from dividing by zero.
  if (span.fault != SpanFault::kNone || mainBar == 0 || distributionBar == 0 ||
      span.mainBarSpacing <= 0 || span.actualThickness <= 0 || spanMillimetres <= 0 ||
      span.middleHalfBarCount < 0 || span.outerQuartersBarCount < 0) {
    return false;
  }
  // Whole numbers, exact: t, s and L under 2^31, masses under 2^15, the
  // two counts together under 2^32, so the largest numerator, that of the
  // steel per m^3, is under 2^89 and the largest denominator s L t under
  // 2^75.
  const Whole thickness = static_cast<uint32_t>(span.actualThickness);
  const Whole spacing = static_cast<uint32_t>(span.mainBarSpacing);
  const Whole length = static_cast<uint32_t>(spanMillimetres);
  const Whole mainGrams = static_cast<uint32_t>(BarMassGramsPerMetre(mainBar));
  const Whole distributionGrams = (Whole{static_cast<uint32_t>(span.middleHalfBarCount)} +
                                   static_cast<uint32_t>(span.outerQuartersBarCount)) *
                                  static_cast<uint32_t>(BarMassGramsPerMetre(distributionBar));
  const Whole mainArea = static_cast<uint32_t>(TruncateToInt32(BarArea(mainBar)));
  // main + distribution = g / s + G / L = (g L + G s) / (s L).
  const Whole totalNumerator = mainGrams * length + distributionGrams * spacing;
  const Whole totalDenominator = spacing * length;
  quotients[0] = {kThousand * mainArea, spacing, kSteelAreaDecimals};
  quotients[1] = {thickness, kThousand, kConcreteDecimals};
  quotients[2] = {mainGrams, spacing, kSteelMassDecimals};
  quotients[3] = {distributionGrams, length, kSteelMassDecimals};
  quotients[4] = {totalNumerator, totalDenominator, kSteelMassDecimals};
  quotients[5] = {kThousand * totalNumerator, totalDenominator * thickness,
                  kSteelPerConcreteDecimals};
  return true;
}

}  // namespace

SpanQuantities QuantitiesOf(const SpanDesign& span, int32_t spanMillimetres) {
  SpanQuantities q;
  Quotients quotients;
  if (!QuotientsOf(span, spanMillimetres, quotients)) {
    return q;
  }
  q.known = true;
  Quad* const figures[kFigures] = {&q.providedSteelArea, &q.concrete,   &q.mainSteel,
                                   &q.distributionSteel, &q.totalSteel, &q.steelPerConcrete};
  for (size_t i = 0; i < kFigures; ++i) {
    const auto& [numerator, denominator, decimals] = quotients[i];
    *figures[i] = QuotientPrintedByRule(numerator, denominator, decimals);
  }
  return q;
}

// QuotientPrintedByRule returns a value whose RoundToDecimals is exactly the
// rounded quotient it decides on: the same digits, without the binary128
// division.
PrintedQuantities PrintedQuantitiesOf(const SpanDesign& span, int32_t spanMillimetres) {
  PrintedQuantities printed;
  Quotients quotients;
  if (!QuotientsOf(span, spanMillimetres, quotients)) {
    return printed;
  }
  printed.known = true;
  ScaledDecimal* const figures[kFigures] = {&printed.providedSteelArea, &printed.concrete,
                                            &printed.mainSteel,         &printed.distributionSteel,
                                            &printed.totalSteel,        &printed.steelPerConcrete};
  for (size_t i = 0; i < kFigures; ++i) {
    const auto& [numerator, denominator, decimals] = quotients[i];
    figures[i]->fits = true;
    figures[i]->magnitude = RoundedQuotient(numerator, denominator, decimals);
  }
  return printed;
}

std::optional<ScaledDecimal> PrintedTotalSteelOf(const SpanDesign& span, int32_t spanMillimetres) {
  Quotients quotients;
  if (!QuotientsOf(span, spanMillimetres, quotients)) {
    return std::nullopt;
  }
  const auto& [numerator, denominator, decimals] = quotients[kTotalSteelFigure];
  return ScaledDecimal{.fits = true,
                       .magnitude = RoundedQuotient(numerator, denominator, decimals)};
}

}  // namespace kalvorden
