#pragma once

// The constants of the slab design, each named once with its exact binary128
// value. Most are single-precision literals widened exactly (see Widen), so
// the value is that of the float nearest the written decimal. The design
// engine computes with them; the calculation sheet prints them beside the
// formulas they enter.

#include <cstdint>

#include "numeric/quad.h"

namespace kalvorden {

// --- Materials: the modular ratio n = Es / Ec ---
// fc is the allowable stress for concrete of strength f'c = fc / 0.4.
constexpr Quad kAllowableStressRatio = Widen(0.4f);  // 0.4000000059604644775390625
// Ec = 4790.956 x sqrt(f'c), MPa.
constexpr Quad kConcreteModulusFactor = Widen(4790.956f);  // 4790.9560546875
constexpr Quad kSteelModulus = 200000;                     // Es, MPa
constexpr int32_t kLeastModularRatio = 6;

// --- Loads ---
// The live load is the wheel load, increased for impact and spread over the
// distribution width: F = P x CF x (1 + 0.3) / 9.74, kN.
constexpr Quad kImpactFraction = Widen(0.3f);     // 0.300000011920928955078125
constexpr Quad kWheelLoadDivisor = Widen(9.74f);  // 9.7399997711181640625
// M_LL = (S' + 0.61) x F, kN m per m.
constexpr Quad kLiveLoadSpanAddend = Widen(0.61f);  // 0.61000001430511474609375 m
// Self-weight of the slab per millimetre of thickness, kN/m^2.
constexpr Quad kSlabWeightFactor = Widen(0.0235631503f);  // 0.0235631503164768218994140625
// M_DL = w S'^2 / 10 for a slab continuous over its supports.
constexpr Quad kDeadLoadMomentCoefficient = Widen(0.1f);  // 0.100000001490116119384765625

// --- Section ---
constexpr Quad kResistingMomentScale = 500;  // R = 1/2 fc k j, MPa to kN/m^2 for M in kN m/m
constexpr Quad kMillimetresPerMetre = 1000;
constexpr Quad kSquareMillimetresPerSquareMetre = 1000000;

// --- Thickness iteration and detailing ---
constexpr Quad kFirstTrialThickness = 200;  // mm
// The iteration has converged when a pass changes the thickness by less than
// this (mm).
constexpr Quad kThicknessTolerance = Widen(0.0001f);  // 0.0000999999974737875163555145263671875
constexpr Quad kThicknessStep = 5;  // mm: slabs are made, and main bars spaced, in 5 mm steps
// Rounds a thickness up to the next 5 mm step, keeping one that lies within
// about 0.005 mm above a step on that step.
constexpr Quad kThicknessRoundUpAddend = Widen(0.999f);  // 0.999000012874603271484375
constexpr Quad kLeastSpacing = 125;                      // mm: closer main bars cannot be placed

// --- Distribution reinforcement ---
// A percentage 121 / sqrt(S') of the main steel, at most 67 %.
constexpr Quad kDistributionPercentageFactor = 121;
constexpr Quad kLargestDistributionFraction = Widen(0.67f);  // 0.670000016689300537109375
// Rounds a bar quantity up to the next whole bar, keeping one that lies
// within 0.0001 of a whole number on it.
constexpr Quad kBarCountRoundUpAddend = Widen(0.9999f);  // 0.99989998340606689453125

// --- The sweep of spans ---
constexpr Quad kFirstSpan = 1;
constexpr Quad kLastSpan = 3.75;
// Adding the widened step to a span below 4 m is exact, so span i of a case
// is exactly 1 + i x 0.02500000037252902984619140625 and the last of the 111
// spans is 3.7500000409781932830810546875.
constexpr Quad kSpanStep = Widen(0.025f);       // 0.02500000037252902984619140625
constexpr Quad kStopTolerance = Widen(0.008f);  // 0.008000000379979610443115234375
// The span of index i as the report prints it, in whole millimetres: 1000 +
// 25 i, 1025 for index 1.
constexpr int32_t kFirstSpanMillimetres = 1000;
constexpr int32_t kSpanStepMillimetres = 25;
constexpr int32_t PrintedSpanMillimetres(int32_t index) {
  return kFirstSpanMillimetres + kSpanStepMillimetres * index;
}

}  // namespace kalvorden
