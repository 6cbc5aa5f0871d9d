#pragma once

// The allowable-stress rating (ASR) of an existing deck slab: a strip one
// metre wide with its main bars perpendicular to traffic, rated by the
// constants and load model of the design, run the other way. For the slab
// as it stands, each face carries at the allowable stresses a moment C (the
// smaller of the steel's and the concrete's); what is left after the dead
// load, over the live-load moment with impact, is the rating factor
//   RF = (C - M_DL) / M_LL,
// at an inventory level (the allowables of design) and an operating level
// (the most a rare vehicle may use). The lower RF of the two faces governs.

#include <cstdint>
#include <vector>

#include "design/cracked_section.h"
#include "numeric/quad.h"

namespace kalvorden {

// One face's main bars as found: cover to the bars (mm), the bar's
// designation (16 for #16), their spacing (mm) and the section lost, in
// percent of the bar area.
struct RatedFaceBars {
  Quad cover = 0;
  int32_t barDesignation = 0;
  Quad spacing = 0;
  Quad loss = 0;
};

// The allowable stresses of one level, MPa.
struct RatingAllowables {
  Quad steel = 0;     // fs
  Quad concrete = 0;  // fc
};

struct RatingInputs {
  Quad thickness = 0;         // t as it stands, mm
  RatedFaceBars top;          // negative moment, over the girders
  bool bottomGiven = false;   // without it the positive-moment section is not rated
  RatedFaceBars bottom;       // positive moment, between the girders
  Quad concreteStrength = 0;  // f'c, MPa
  Quad paving = 0;            // wearing surface and overlays today, kN/m^2
  Quad wheelLoad = 0;         // P, kN
  bool vehicleWeightGiven = false;
  Quad vehicleWeight = 0;      // W, kN
  bool continuous = false;     // continuous over three or more supports
  RatingAllowables inventory;  // the allowables of design
  RatingAllowables operating;  // the most a rare vehicle may use
  std::vector<Quad> spans;     // effective spans S, m, as entered
};

// The modular ratio of f'c and its steps, the same at both levels.
struct RatingMaterial {
  Quad concreteModulus = 0;  // Ec = 4790.956 sqrt(f'c), MPa
  Quad ratio = 0;            // Es / Ec
  int32_t modularRatio = 0;  // n: Es / Ec to the nearest whole number, at least 6
};

// One face's section as found, independent of the span.
struct RatedFaceSection {
  int32_t barIndex = 0;  // in the bar table
  Quad barDiameter = 0;  // mm
  Quad barArea = 0;      // mm^2
  Quad depth = 0;        // d = (t - phi / 2) - cover, mm
  Quad remaining = 0;    // 1 - loss / 100
  Quad steelArea = 0;    // As = ((1000 A) / s) (1 - loss / 100), mm^2 per m
};

struct LevelRating {
  Quad steelCapacity = 0;     // ((fs As) jd) / 10^6, kN m per m
  Quad concreteCapacity = 0;  // ((fc kd) jd) / 2000, kN m per m
  Quad capacity = 0;          // C: the smaller
  bool concreteGoverns = false;
  Quad ratingFactor = 0;     // RF = (C - M_DL) / M_LL
  Quad staticWheelLoad = 0;  // RF P, kN, impact excluded
  Quad ratedVehicle = 0;     // RT = RF W, kN (where W is given)
};

struct FaceRating {
  bool rated = false;
  // rho, k, j and the stresses fs and fc under the service moment M.
  CrackedSection section;
  LevelRating inventory;
  LevelRating operating;
};

struct SpanRating {
  Quad span = 0;            // S, m, as entered
  Quad liveLoadMoment = 0;  // M_LL = (S + 0.61) F
  Quad deadLoadMoment = 0;  // M_DL = ((w S) S) / 10, or / 8
  Quad serviceMoment = 0;   // M = M_DL + M_LL
  FaceRating top;
  FaceRating bottom;
  // The governing face at each level: the bottom only where it is rated
  // and its RF is lower than the top's.
  bool bottomGovernsInventory = false;
  bool bottomGovernsOperating = false;
  const LevelRating& GoverningInventory() const {
    return bottomGovernsInventory ? bottom.inventory : top.inventory;
  }
  const LevelRating& GoverningOperating() const {
    return bottomGovernsOperating ? bottom.operating : top.operating;
  }
};

struct SlabRating {
  RatingMaterial material;
  Quad continuityFactor = 0;    // CF: 0.8 widened for a continuous slab, else 1
  Quad liveLoadFactor = 0;      // F = ((P CF) 1.3) / 9.74, kN
  Quad deadLoad = 0;            // w = t 0.0235631503 + paving, kN/m^2
  int32_t deadLoadDivisor = 0;  // 10 continuous, 8 otherwise: c_DL = 1/10 or 1/8
  RatedFaceSection top;
  RatedFaceSection bottom;
  std::vector<SpanRating> spans;
};

// Rates the slab at each of its spans. The inputs must have passed the
// checks of the doors (rating/rating_values.h): every value finite, the bar
// in the table, d, spacings, P and the allowables above zero.
SlabRating RateSlab(const RatingInputs& inputs);

// The section of one face: d and As.
RatedFaceSection RatedFaceSectionOf(Quad thickness, const RatedFaceBars& bars);

}  // namespace kalvorden
