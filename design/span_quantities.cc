#include "design/span_quantities.h"

#include "design/bar_table.h"
#include "numeric/quad_ops.h"

namespace kalvorden {
namespace {

constexpr Quad kThousand = 1000;

}  // namespace

SpanQuantities QuantitiesOf(const SpanDesign& span, int32_t spanMillimetres) {
  SpanQuantities q;
  const int32_t mainBar = BarIndexOf(span.mainBarDesignation);
  const int32_t distributionBar = BarIndexOf(span.distBarDesignation);
  // A designed span always has both bars, a spacing of at least 125 mm and a
  // thickness of at least 10 mm (half a bar diameter and the cover); the
  // test only keeps a row that is not one from dividing by zero.
  if (span.fault != SpanFault::kNone || mainBar == 0 || distributionBar == 0 ||
      span.mainBarSpacing <= 0 || span.actualThickness <= 0 || spanMillimetres <= 0) {
    return q;
  }
  q.known = true;
  // Each operation is the correctly rounded one (numeric/quad_ops.h).
  const Quad thickness = span.actualThickness;
  const Quad spacing = span.mainBarSpacing;
  q.concrete = Div(thickness, kThousand);
  const Quad areaPerSpacing = Mul(kThousand, BarArea(mainBar));  // exact: a whole number
  q.providedSteelArea = Div(areaPerSpacing, spacing);
  q.mainSteel = Div(static_cast<Quad>(BarMassGramsPerMetre(mainBar)), spacing);
  // The counts are 32-bit, the mass under 2^15: the product is exact.
  const int64_t barGrams = (int64_t{span.middleHalfBarCount} + span.outerQuartersBarCount) *
                           BarMassGramsPerMetre(distributionBar);
  q.distributionSteel = Div(static_cast<Quad>(barGrams), static_cast<Quad>(spanMillimetres));
  q.totalSteel = Add(q.mainSteel, q.distributionSteel);
  const Quad steelPerThousandMillimetres = Mul(kThousand, q.totalSteel);
  q.steelPerConcrete = Div(steelPerThousandMillimetres, thickness);
  return q;
}

}  // namespace kalvorden
