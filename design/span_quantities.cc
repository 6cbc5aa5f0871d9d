#include "design/span_quantities.h"

#include "design/bar_table.h"

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
  const Quad thickness = span.actualThickness;
  const Quad spacing = span.mainBarSpacing;
  q.concrete = thickness / kThousand;
  const Quad areaPerSpacing = kThousand * BarArea(mainBar);  // exact: a whole number
  q.providedSteelArea = areaPerSpacing / spacing;
  q.mainSteel = static_cast<Quad>(BarMassGramsPerMetre(mainBar)) / spacing;
  // The counts are 32-bit, the mass under 2^15: the product is exact.
  const int64_t bars = int64_t{span.middleHalfBarCount} + span.outerQuartersBarCount;
  const Quad barGrams = static_cast<Quad>(bars) * BarMassGramsPerMetre(distributionBar);
  q.distributionSteel = barGrams / static_cast<Quad>(spanMillimetres);
  q.totalSteel = q.mainSteel + q.distributionSteel;
  const Quad steelPerThousandMillimetres = kThousand * q.totalSteel;
  q.steelPerConcrete = steelPerThousandMillimetres / thickness;
  return q;
}

}  // namespace kalvorden
