#include "rating/slab_rating.h"

#include "design/bar_table.h"
#include "design/design_cases.h"
#include "design/design_constants.h"
#include "design/design_inputs.h"

namespace kalvorden {
namespace {

constexpr Quad kOne = 1;
constexpr Quad kTwo = 2;
constexpr Quad kHundred = 100;
constexpr Quad kThousand = 1000;

// One level of one face. Each operation is rounded once, in this order:
//   M_s = ((fs As) jd) / 10^6, M_c = ((fc kd) jd) / 2000 (SectionCapacity);
//   C = min(M_s, M_c); RF = (C - M_DL) / M_LL; RF P; RF W.
LevelRating RateLevel(const CrackedSection& section, Quad steelArea,
                      const RatingAllowables& allowables, const SpanRating& span,
                      const RatingInputs& inputs) {
  LevelRating level;
  const SectionCapacityOf<Quad> capacity =
      SectionCapacity(section, steelArea, allowables.steel, allowables.concrete);
  level.steelCapacity = capacity.steelMoment;
  level.concreteCapacity = capacity.concreteMoment;
  level.concreteGoverns = level.concreteCapacity < level.steelCapacity;
  level.capacity = level.concreteGoverns ? level.concreteCapacity : level.steelCapacity;
  level.ratingFactor = (level.capacity - span.deadLoadMoment) / span.liveLoadMoment;
  level.staticWheelLoad = level.ratingFactor * inputs.wheelLoad;
  if (inputs.vehicleWeightGiven) {
    level.ratedVehicle = level.ratingFactor * inputs.vehicleWeight;
  }
  return level;
}

FaceRating RateFace(const RatedFaceSection& face, const SpanRating& span, const SlabRating& slab,
                    const RatingInputs& inputs) {
  FaceRating rating;
  rating.rated = true;
  // The same section at both levels: n does not change with the level.
  rating.section =
      AnalyseCrackedSection(face.steelArea, face.depth,
                            static_cast<Quad>(slab.material.modularRatio), span.serviceMoment);
  rating.inventory = RateLevel(rating.section, face.steelArea, inputs.inventory, span, inputs);
  rating.operating = RateLevel(rating.section, face.steelArea, inputs.operating, span, inputs);
  return rating;
}

}  // namespace

// d = (t - phi / 2) - cover, as the as-built check takes it; As =
// ((1000 A) / s) (1 - loss / 100), so that without a loss As is the check's
// own value, unchanged by the factor 1.
RatedFaceSection RatedFaceSectionOf(Quad thickness, const RatedFaceBars& bars) {
  RatedFaceSection face;
  face.barIndex = BarIndexOf(bars.barDesignation);
  face.barDiameter = BarDiameter(face.barIndex);
  face.barArea = BarArea(face.barIndex);
  face.depth = (thickness - face.barDiameter / kTwo) - bars.cover;
  face.remaining = kOne - bars.loss / kHundred;
  face.steelArea = ((kThousand * face.barArea) / bars.spacing) * face.remaining;
  return face;
}

SlabRating RateSlab(const RatingInputs& inputs) {
  SlabRating slab;
  const ModularRatioSteps steps = ModularRatioStepsOfStrength(inputs.concreteStrength);
  slab.material = {steps.concreteModulus, steps.ratio, steps.modularRatio};
  // The live load as the design takes it: F = ((P CF) (1 + 0.3)) / 9.74.
  slab.continuityFactor = inputs.continuous ? kContinuityFactor : kOne;
  const Quad impactLoad = (inputs.wheelLoad * slab.continuityFactor) * (kOne + kImpactFraction);
  slab.liveLoadFactor = impactLoad / kWheelLoadDivisor;
  slab.deadLoad = inputs.thickness * kSlabWeightFactor + inputs.paving;
  slab.deadLoadDivisor = inputs.continuous ? 10 : 8;
  slab.top = RatedFaceSectionOf(inputs.thickness, inputs.top);
  if (inputs.bottomGiven) {
    slab.bottom = RatedFaceSectionOf(inputs.thickness, inputs.bottom);
  }
  for (const Quad s : inputs.spans) {
    SpanRating span;
    span.span = s;
    span.liveLoadMoment = (s + kLiveLoadSpanAddend) * slab.liveLoadFactor;
    span.deadLoadMoment = ((slab.deadLoad * s) * s) / static_cast<Quad>(slab.deadLoadDivisor);
    span.serviceMoment = span.deadLoadMoment + span.liveLoadMoment;
    span.top = RateFace(slab.top, span, slab, inputs);
    if (inputs.bottomGiven) {
      span.bottom = RateFace(slab.bottom, span, slab, inputs);
      span.bottomGovernsInventory =
          span.bottom.inventory.ratingFactor < span.top.inventory.ratingFactor;
      span.bottomGovernsOperating =
          span.bottom.operating.ratingFactor < span.top.operating.ratingFactor;
    }
    slab.spans.push_back(span);
  }
  return slab;
}

}  // namespace kalvorden
