#pragma once

// The plain records the design engine produces and the report writer prints.
// They hold data only; the operations on them live in design/ and the outputs.

#include <array>
#include <cstdint>
#include <string>

#include "numeric/decimal.h"
#include "numeric/enclosure.h"
#include "numeric/quad.h"

namespace kalvorden {

// One combination of the entered values, with the constants every span of
// the combination uses. Set when the case starts; unchanged while it is swept.
struct DesignCase {
  Quad wheelLoad = 0;               // P, kN
  Quad topCover = 0;                // mm
  Quad futurePaving = 0;            // FP, kN/m^2
  Quad steelStress = 0;             // allowable fs, MPa
  Quad concreteStress = 0;          // allowable fc, MPa
  Quad spanDeductionWidth = 0;      // mm (always 0.0: no question asks for it)
  Quad continuityFactor = 1;        // CF: 1.0, or 0.8 widened
  int32_t modularRatio = 0;         // n = Es / Ec, at least 6, as printed
  Quad modularRatioQuad = 0;        // n converted exactly
  Quad k = 0;                       // neutral-axis depth ratio
  Quad j = 0;                       // lever-arm ratio
  Quad resistingMomentFactor = 0;   // R, kN/m^2
  Quad steelAreaFactor = 0;         // Cs, 1/MPa
  Quad liveLoadMomentFactor = 0;    // F, kN
  Quad halfSpanDeductionWidth = 0;  // mm
};

// The case constants the span design uses, in the number type it runs on:
// the exact binary128 values, or their enclosures (taken once per case).
template <class Number>
struct CaseNumbers {
  Number topCover;
  Number futurePaving;
  Number liveLoadMomentFactor;
  Number resistingMomentFactor;
  Number steelAreaFactor;
};

template <class Number>
CaseNumbers<Number> CaseNumbersOf(const DesignCase& c) {
  return {FromQuad<Number>(c.topCover), FromQuad<Number>(c.futurePaving),
          FromQuad<Number>(c.liveLoadMomentFactor), FromQuad<Number>(c.resistingMomentFactor),
          FromQuad<Number>(c.steelAreaFactor)};
}

// Why a span could not be designed. A span with a fault still gets its row,
// with asterisks in every field but the span length.
enum class SpanFault : uint8_t {
  kNone,
  // The case's values cannot describe a slab: a value that is not a finite
  // number, fc or fs not positive, or a negative wheel load, cover or paving.
  // Checked once, before the case's first span.
  kInvalidInputs,
  // The thickness iteration on the slab's own weight met no fixed point: the
  // thickness grew without bound (the concrete stress is too small for the
  // slab to carry itself), or the passes neither converged nor diverged
  // within the pass limit.
  kNoThickness,
  // Even the largest bar of the table gives a main bar spacing under 125 mm.
  kNoBarLargeEnough,
  // A thickness, spacing or bar count that does not fit a 32-bit integer.
  kOutOfRange,
};

// The results for one span: one report row. A run designs the printed
// record, which the enclosure filter and the exact engine give equal, field
// by field: the minimum thickness rounded to hundredths as the report prints
// it, and no working values of the exact design. A run asked for working
// values (DesignOptions::workingValues) gives the printed record with the
// working values as an output prints them: binary128 values that print as
// the exact design's values do to kWorkingValueDigits significant digits
// (the exact values where the exact engine designed the span; values the
// enclosures make certain of those digits otherwise). The full record (the
// exact engine alone: the SweepSpans overload without options) holds the
// unrounded minimum thickness and the working values as well.
// The significant digits to which the calculation sheet and the CSV print
// the working values, so that the two can be compared digit for digit:
// enough to check any step by hand.
constexpr int kWorkingValueDigits = 12;
inline std::string WorkingText(Quad value) {
  return SignificantDecimal(value, kWorkingValueDigits);
}

struct SpanDesign {
  Quad spanLength = 0;  // S, m (the printed EFFECTIVE SPAN LENGTH)
  // mm, the converged required thickness. In the printed record, its
  // hundredths n as n x 0.01 in binary128, which prints as n hundredths (an
  // absurd thickness of 2^40 hundredths or more, which no field can print,
  // stays unrounded).
  Quad minThickness = 0;
  int32_t actualThickness = 0;        // mm, the minimum rounded up to a multiple of 5
  int32_t mainBarDesignation = 0;     // bar size of the main reinforcement
  int32_t mainBarSpacing = 0;         // mm, a multiple of 5, at least 125
  int32_t middleHalfBarCount = 0;     // distribution bars in the middle half
  int32_t distBarDesignation = 0;     // bar size of the distribution reinforcement
  int32_t outerQuartersBarCount = 0;  // distribution bars in the outer quarters (even)
  // In the printed record, the whole number n of hundredths that
  // minThickness is, where n is from 1 to below 2^40, for an output that
  // prints them without rounding the value again; 0 otherwise.
  int64_t minThicknessHundredths = 0;

  // Working values. designSpan and distBarArea are in every record; the
  // three between them only in the full record and the printed record with
  // working values (zero in the printed one; in the one with working values,
  // exact to the printed digits only).
  Quad designSpan = 0;         // S', m
  Quad designMoment = 0;       // M of the last thickness pass, kN m per m
  Quad effectiveDepth = 0;     // mm, at the actual thickness
  Quad requiredSteelArea = 0;  // As, mm^2 per m, at the actual thickness
  Quad distBarArea = 0;        // mm^2, one distribution bar
  // In the printed record with working values designed on enclosures, the
  // digits the three working values print as (kWorkingValueDigits), which
  // the enclosures made certain: an output writes them without converting
  // the values again. Not known where the exact engine designed the span.
  std::array<SignificantDigits, 3> workingDigits{};
  bool workingDigitsKnown = false;

  SpanFault fault = SpanFault::kNone;
};

}  // namespace kalvorden
