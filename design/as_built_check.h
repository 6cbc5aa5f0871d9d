#pragma once

// The check of a printed row as built: the slab of the row's actual
// thickness with the main bars as printed, under the service moment at the
// printed span, against the allowable stresses, the recommended least
// thickness, the largest main-bar spacing and the least top cover of a deck
// slab with its main reinforcement perpendicular to traffic. The design
// itself finds the thickness at its last trial and the bars for that; this
// check says whether the slab built from the row meets each limit, and by
// how much. Everything is taken from the row's own printed values, so that
// anyone can recompute it.

#include <cstdint>
#include <span>
#include <string>

#include "design/cracked_section.h"
#include "design/design_records.h"
#include "numeric/decimal.h"
#include "numeric/enclosure.h"
#include "numeric/quad.h"

namespace kalvorden {

// What the check reads: a case's entered values and one printed row.
struct AsBuiltRow {
  Quad wheelLoad = 0;           // P, kN
  Quad topCover = 0;            // mm, to the top of the main bars
  Quad futurePaving = 0;        // FP, kN/m^2
  Quad allowableSteel = 0;      // fs, MPa
  Quad allowableConcrete = 0;   // fc, MPa
  int32_t modularRatio = 0;     // n, as printed
  bool continuous = false;      // continuity answered yes: continuous over three or more supports
  int32_t spanMillimetres = 0;  // the printed span S, mm (3.200 m is 3200)
  int32_t thickness = 0;        // t, the actual thickness, mm
  int32_t mainBarDesignation = 0;
  int32_t mainBarSpacing = 0;  // s, mm
};

// The checks a row can fail, as bits of AsBuiltCheck::failed.
enum AsBuiltFailure : uint32_t {
  kSteelStressFails = 1U << 0,     // "fs"
  kConcreteStressFails = 1U << 1,  // "fc"
  kThicknessFails = 1U << 2,       // "thickness": below the recommended least depth
  kSpacingFails = 1U << 3,         // "spacing"
  kCoverFails = 1U << 4,           // "cover"
};

// The least top cover of a deck slab, mm (65 mm where de-icing salts are
// used and the deck has no other protection: the engineer's call).
constexpr int32_t kLeastDeckTopCover = 50;
// The largest main-bar spacing: 1.5 t, and never more than this, mm.
constexpr int32_t kLargestMainBarSpacing = 450;
// The recommended least thickness of a continuous slab: (S + 3000) / 30 mm,
// never under this; a simple span's is 1.2 times that.
constexpr int32_t kLeastSlabThickness = 165;

struct AsBuiltCheck {
  Quad span = 0;                  // S = L / 1000, m
  Quad steelArea = 0;             // As = (1000 A) / s, mm^2 per m
  Quad effectiveDepth = 0;        // d = (t - phi / 2) - cover, mm
  Quad liveLoadMoment = 0;        // M_LL = (S + 0.61) F, F = ((P CF) 1.3) / 9.74, kN m/m
  Quad deadLoad = 0;              // w = t 0.0235631503 + FP, kN/m^2
  Quad deadLoadMoment = 0;        // M_DL = ((w S) S) / 10 or / 8, kN m/m
  Quad serviceMoment = 0;         // M = M_LL + M_DL
  CrackedSection section;         // the stresses under M
  Quad steelStressMargin = 0;     // fs allowed - fs, MPa
  Quad concreteStressMargin = 0;  // fc allowed - fc, MPa
  Quad leastThickness = 0;        // max(S + 3000, 4950) / 30 mm, or / 25 for a simple span
  Quad thicknessMargin = 0;       // t - least, mm
  Quad largestSpacing = 0;        // min(1.5 t, 450), mm
  Quad spacingMargin = 0;         // largest - s, mm
  Quad coverMargin = 0;           // cover - 50, mm
  int32_t deadLoadDivisor = 0;    // 10 where continuous, 8 for a simple span
  uint32_t failed = 0;            // AsBuiltFailure bits
  // False for a row that could not be designed (or names no bar of the
  // table): it has nothing to check.
  bool known = false;
};

AsBuiltCheck CheckAsBuilt(const AsBuiltRow& row);

// The decimals the CSV table and the calculation sheet print the check's
// figures with: stresses to 0.01 MPa, the least thickness to 0.01 mm, the
// largest spacing (a multiple of 0.5 mm) to 0.1 mm.
constexpr int kAsBuiltStressDecimals = 2;
constexpr int kLeastThicknessDecimals = 2;
constexpr int kLargestSpacingDecimals = 1;

// The check's figures as the CSV table prints them, each |value| x
// 10^decimals rounded to a whole number as RoundToDecimals
// (numeric/decimal.h) rounds CheckAsBuilt's figure, and the checks the row
// fails: what CheckAsBuilt's result prints, computed without its binary128
// arithmetic wherever an enclosure of it makes the digits and the decisions
// certain (the argument is at the code).
struct PrintedAsBuiltCheck {
  ScaledDecimal steelStress;     // fs, kAsBuiltStressDecimals
  ScaledDecimal concreteStress;  // fc, kAsBuiltStressDecimals
  ScaledDecimal leastThickness;  // kLeastThicknessDecimals
  ScaledDecimal largestSpacing;  // kLargestSpacingDecimals
  uint32_t failed = 0;           // AsBuiltFailure bits
  bool known = false;            // as AsBuiltCheck::known
};

PrintedAsBuiltCheck PrintedAsBuilt(const AsBuiltRow& row);

// The entered values of a case as the check's enclosures read them, made
// once for all of the case's rows (each row's own would make them again):
// the wheel load as the live-load moment per metre of span, with the case's
// continuity and impact.
struct AsBuiltCaseEnclosures {
  Enclosure liveLoadFactor;
  Enclosure topCover;
  Enclosure futurePaving;
  Enclosure allowableSteel;
  Enclosure allowableConcrete;
  uint32_t coverFailure = 0;  // kCoverFails where the entered cover is under the least
};
AsBuiltCaseEnclosures EncloseCaseOf(const AsBuiltRow& row);
// The same, for a row whose entered values `enclosed` encloses (made by
// EncloseCaseOf from a row of the same case).
PrintedAsBuiltCheck PrintedAsBuilt(const AsBuiltRow& row, const AsBuiltCaseEnclosures& enclosed);

// The row of `span` (a printed row of `designCase`) at its printed span.
AsBuiltRow AsBuiltRowOf(const DesignCase& designCase, const SpanDesign& span,
                        int32_t spanMillimetres);
// The same from the case's own row (AsBuiltRowOf the case with no span),
// made once for all of its rows.
AsBuiltRow AsBuiltRowOf(AsBuiltRow caseRow, const SpanDesign& span, int32_t spanMillimetres);

// "OK", or the names of the failed checks in the order fs, fc, thickness,
// spacing, cover, separated by spaces: at most kLongestCheckNames
// characters, all five.
std::string CheckNames(uint32_t failed);
constexpr size_t kLongestCheckNames = 29;  // "fs fc thickness spacing cover"

// One line for a case: which printed spans fail which check, each check
// with its spans in runs ("fs at 2.900 to 3.750 m; thickness at 1.000 to
// 2.375 m, 2.450 m"), or that every designed row meets every check.
// `spans` are the case's rows in sweep order (index 0 is 1.000 m).
std::string FailingSpansLine(const DesignCase& designCase, std::span<const SpanDesign> spans);
// The same line from the checks already made: the failed checks' bits of
// each row in sweep order, 0 where the check is not known.
std::string FailingSpansLine(std::span<const uint32_t> failedChecks);

}  // namespace kalvorden
