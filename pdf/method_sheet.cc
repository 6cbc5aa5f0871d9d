#include "pdf/method_sheet.h"

#include <string>

#include "design/bar_table.h"
#include "design/design_constants.h"
#include "design/design_inputs.h"
#include "numeric/decimal.h"
#include "pdf/case_columns.h"

namespace kalvorden {
namespace {

const TextStyle kTitle = {.size = 14, .bold = true, .leading = 20};
const TextStyle kHeading = {.size = 9.5, .bold = true, .leading = 15};
const TextStyle kBody = {.size = 8.3, .leading = 11};
const TextStyle kFormula = {.size = 8.3, .indent = 14, .leading = 11};
const TextStyle kTable = {.family = kMonoFont, .size = 7.3, .indent = 14, .leading = 9.5};

enum class Kind : uint8_t { kHeading, kBody, kFormula };

struct Passage {
  Kind kind;
  const char* text;
};

// The formulas, in the order the design evaluates them.
constexpr Passage kFormulas[] = {
    {Kind::kBody,
     "The program designs a strip of the deck slab one metre wide by service-load "
     "(working-stress) design: under the service loads the concrete and the main bars stay "
     "within their allowable stresses fc and fs, on a cracked, linear-elastic section. Each "
     "design case (one wheel load P, top cover c, future paving allowance FP, fs and fc, with the "
     "run's continuity factor CF) is designed at 111 effective spans S, 1.000 m to 3.750 m in "
     "steps of 0.025 m. Every value is an IEEE binary128 number (about 34 significant digits), "
     "each operation rounded once, in the order written here; square roots are correctly "
     "rounded. The calculation sheet of a row shows every step below with its figures."},
    {Kind::kHeading, "1. Case constants, once per design case"},
    {Kind::kFormula, "f′c = fc / 0.4: the concrete strength for which fc is the allowable stress."},
    {Kind::kFormula,
     "Ec = 4790.956 × √f′c (MPa); n = truncate(200000 / Ec + 0.5), at least 6: the modular "
     "ratio Es / Ec, Es = 200000 MPa, rounded to a whole number, as the report prints it."},
    {Kind::kFormula,
     "k = fc / (fc + fs / n): the depth of the neutral axis over the effective depth."},
    {Kind::kFormula, "j = 1 − k / 3: the lever arm over the effective depth."},
    {Kind::kFormula,
     "R = ((500 × fc) × k) × j (kN/m²): a moment M (kN·m per metre) needs an effective depth "
     "of 1000 √(M / R) mm."},
    {Kind::kFormula, "Cs = (1 / fs) / j (1/MPa): the steel area factor."},
    {Kind::kFormula,
     "F = ((P × CF) × (1 + 0.3)) / 9.74 (kN): the wheel load with 30 % impact and the "
     "continuity factor; CF enters the design here only."},
    {Kind::kHeading, "2. Moments, per metre of slab width"},
    {Kind::kFormula,
     "The design span S′ = (1000 S − b / 2) / 1000 with a support width b of 0: S′ = S."},
    {Kind::kFormula, "M_LL = (S′ + 0.61) × F: the live-load moment, kN·m/m."},
    {Kind::kFormula,
     "w = t × 0.0235631503 + FP (kN/m²): the slab's own weight at a thickness of t mm, and the "
     "future paving."},
    {Kind::kFormula,
     "M_DL = ((w × S′) × S′) × 0.1: the dead-load moment w S′² / 10, kN·m/m; the design "
     "moment M = M_LL + M_DL."},
    {Kind::kHeading, "3. Thickness"},
    {Kind::kFormula,
     "From t = 200 mm: d = 1000 × √(M / R), t_req = (d + φ/2) + c, with φ the diameter of the "
     "main bar; again with t = t_req until |t_req − t| < 0.0001 mm, at most 100 passes. The "
     "minimum thickness is the last t_req; the design moment M is that of the last pass."},
    {Kind::kFormula,
     "Actual thickness = 5 × truncate(minimum / 5 + 0.999): the minimum rounded up to the next "
     "5 mm; a minimum less than about 0.005 mm above a multiple of 5 mm stays on it."},
    {Kind::kHeading, "4. Main bars"},
    {Kind::kFormula,
     "Effective depth d = (actual thickness − φ/2) − c; steel area As = ((1000000 × M) × Cs) / d "
     "(mm² per metre); spacing = 5 × truncate((1000 × A_bar) / As / 5), rounded down to 5 mm, "
     "with no upper limit (A_bar: the area of one main bar)."},
    {Kind::kFormula,
     "Main bars closer than 125 mm cannot be placed: if the spacing is under 125 mm, the main "
     "and the distribution bars both move up one size and the span is designed again from "
     "t = 200 mm. A spacing of exactly 125 mm is accepted. Each case starts at S = 1.000 m with "
     "#16 main and #13 distribution bars; each span starts with the bars of the span before, and "
     "within a case the bars never move down. Where even #57 main bars come closer than 125 mm, "
     "the span cannot be designed."},
    {Kind::kHeading, "5. Distribution bars"},
    {Kind::kFormula,
     "r = (121 / √S′) / 100, at most 0.67: the distribution steel as a fraction of As, "
     "121 / √S′ per cent, at most 67 %. A = (r × As) × S′ (mm²); N = A / (2 × A_dist), with "
     "A_dist the area of one distribution bar."},
    {Kind::kFormula,
     "Middle half: truncate(N + 0.9999) bars, N rounded up to whole bars. Outer quarters: "
     "truncate(N / 2 + 0.9999), one more when odd: the bars of BOTH outer quarters together, "
     "half of them in each outer quarter."},
};

// What each column of a report row means.
constexpr Passage kColumns[] = {
    {Kind::kHeading, "7. The report's columns"},
    {Kind::kFormula, "EFFECTIVE SPAN LENGTH (m): the span S, to 3 decimals."},
    {Kind::kFormula,
     "SLAB THICKNESS, MINIMUM (mm): the converged thickness, to 2 decimals; ACTUAL (mm): the "
     "minimum rounded up to 5 mm, the thickness to build."},
    {Kind::kFormula,
     "SIZE AND SPACING OF MAIN REINFORCEMENT: the main bar (#16 ... #57) at its spacing in mm."},
    {Kind::kFormula,
     "DISTRIBUTION REINFORCEMENT, MIDDLE HALF: the number of distribution bars in the middle "
     "half of the span and their size, \"8-#16\"."},
    {Kind::kFormula,
     "OUTER QUARTERS: the number of distribution bars in the two outer quarters of the span "
     "together, half of them in each quarter, and their size: \"4-#16\" is 2 bars in each."},
    {Kind::kFormula,
     "Asterisks: a figure too wide for its field (a minimum thickness of 1000 mm or more, a "
     "spacing of 10000 mm or more, a bar count of 100 or more, a wheel load of 100 kN or more in "
     "the heading: the title block and the index give it in full); asterisks in every field but "
     "the span: the span could not be designed, and the report gives no slab for it."},
};

// What lies outside the program's design: said plainly, for the checker.
constexpr Passage kNotChecked[] = {
    {Kind::kHeading, "8. What the program does not check"},
    {Kind::kBody,
     "The program finds the thickness of a one-metre strip, one size and spacing of main bar for "
     "the design moment M at the depth the top cover c leaves, and the distribution bars, by the "
     "formulas above and nothing else. It does not check, and the engineer checks separately:"},
    {Kind::kFormula,
     "• shear, including punching shear under the wheel (slabs designed for bending by Art. "
     "3.24.3 are deemed satisfactory in shear and bond, Art. 3.24.4);"},
    {Kind::kFormula, "• deflection and vibration;"},
    {Kind::kFormula,
     "• crack control: crack widths (the largest main bar spacing is checked as built, 9);"},
    {Kind::kFormula,
     "• fatigue of the reinforcement (not required for deck slabs with main bars perpendicular "
     "to traffic designed by Art. 3.24, Art. 8.16.8);"},
    {Kind::kFormula,
     "• overhangs (the slab cantilevered beyond the outer girders) with their railing, barrier "
     "and wheel loads, and the reinforcement of the slab's other face (its top steel or bottom "
     "steel beyond the one layer of main bars designed here);"},
    {Kind::kFormula,
     "• development, anchorage and lap lengths of the bars, and where bars may be cut off;"},
    {Kind::kFormula, "• minimum reinforcement, and shrinkage and temperature reinforcement;"},
    {Kind::kFormula,
     "• strength (factored-load) design, other loads and load combinations (lanes, several "
     "wheels, braking, collision), and the girders, diaphragms and joints that carry the slab."},
};

// The check of each row as built, and the design code the method follows.
constexpr Passage kCheckAndBasis[] = {
    {Kind::kHeading, "9. The check as built (CSV columns, calculation sheet)"},
    {Kind::kBody,
     "Each row is checked as printed: the slab of the actual thickness t with the main bars as "
     "printed, its own weight at t, at the printed span S. M = (S + 0.61) × F + w S² / 10 where "
     "continuity was answered yes, w S² / 8 (a simple span) where no. Cracked elastic section, k "
     "from the steel provided: ρ = As / (1000 d), k = √(2ρn + (ρn)²) − ρn, j = 1 − k / 3, "
     "fs = 10⁶ M / (As j d), fc = 2000 M / (k d j d), against the allowables. Recommended least "
     "thickness (S + 3000) / 30 mm, at least 165 mm, for continuous slabs, 1.2 times that for "
     "simple spans (less is allowed where deflection is shown acceptable); largest main bar "
     "spacing 1.5 t and 450 mm; least top cover of a deck 50 mm (65 mm with de-icing salts and "
     "no other protection). Each with its margin; the checks failed, or OK."},
    {Kind::kHeading, "10. Basis"},
    {Kind::kBody,
     "AASHTO Standard Specifications for Highway Bridges, 17th edition (2002), service-load "
     "design. P = 72.5 kN: the wheel of the MS 18 truck (metric HS 20), Art. 3.7; impact 30 %, "
     "Art. 3.8.2. Live-load moment Art. 3.24.3.1, 0.8 for slabs continuous over three or more "
     "supports. Distribution steel Art. 3.24.10. Allowable stresses Art. 8.15.2: 0.40 f′c; "
     "Grade 420 165 MPa (24 ksi), Grade 280 138 MPa (20 ksi); the dialogue's hint of 170 for "
     "Grade 420 is above the code's 165. Ec Art. 8.7.1: 4790.956 √f′c is 0.043 w^1.5 √f′c at "
     "about 2,315 kg/m³, while the self-weight takes 23.563 kN/m³ (150 lb/ft³, 2,403 kg/m³). "
     "#16 is 200 mm² (0.31 in²); the metric bar standard gives 199. The design takes "
     "M_DL = w S′² / 10 whatever the continuity answer; the check as built takes w S² / 8 for a "
     "simple span. Least depth Art. 8.9.2 (Table 8.9.2); bar spacing Art. 8.21.6; cover "
     "Art. 8.22.1. Every design value is kept as the design uses it."},
};

void Flow(SheetFlow& flow, const Passage* passages, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Passage& passage = passages[i];
    switch (passage.kind) {
      case Kind::kHeading:
        flow.Gap(3);
        flow.KeepTogether(kHeading.leading + 3 * kBody.leading);
        flow.Line(passage.text, kHeading);
        break;
      case Kind::kBody:
        flow.Text(passage.text, kBody);
        break;
      case Kind::kFormula:
        flow.Text(passage.text, kFormula);
        break;
    }
  }
}

struct StoredConstant {
  Quad stored;
  const char* written;
  const char* where;
};

void Constants(SheetFlow& flow) {
  const StoredConstant constants[] = {
      {kAllowableStressRatio, "0.4", "f′c = fc / 0.4"},
      {kConcreteModulusFactor, "4790.956", "Ec"},
      {kImpactFraction, "0.3", "F, impact"},
      {kWheelLoadDivisor, "9.74", "F"},
      {kContinuityFactor, "0.8", "CF, slab continuous"},
      {kSpanStep, "0.025", "span step, m"},
      {kLiveLoadSpanAddend, "0.61", "M_LL, m"},
      {kSlabWeightFactor, "0.0235631503", "w, kN/m² per mm"},
      {kDeadLoadMomentCoefficient, "0.1", "M_DL"},
      {kThicknessTolerance, "0.0001", "thickness iteration, mm"},
      {kThicknessRoundUpAddend, "0.999", "actual thickness"},
      {kLargestDistributionFraction, "0.67", "distribution cap"},
      {kBarCountRoundUpAddend, "0.9999", "bar counts"},
  };
  flow.Gap(3);
  flow.KeepTogether(kHeading.leading + 16 * kTable.leading);
  flow.Line("6. Constants as the design stores them", kHeading);
  flow.Text(
      "Each constant written with decimals is the single-precision number nearest to it, widened "
      "exactly to binary128; the design computes with these stored values. Whole numbers and "
      "halves are exact (0.5, 5, 100, 121, 125, 200, 500, 1000, 1000000, Es = 200000).",
      kBody);
  flow.Line(PadCell("Written", 14) + PadCell("Stored, exactly", 42) + "Enters", kTable);
  for (const StoredConstant& c : constants) {
    flow.Line(PadCell(c.written, 14) + PadCell(ExactDecimal(c.stored), 42) + c.where, kTable);
  }
  flow.Gap(4);
  flow.KeepTogether(13 * kTable.leading);
  flow.Line(PadCell("Bar", 14) + PadCell("Diameter used, exactly (mm)", 42) + "Area (mm²)", kTable);
  for (int32_t index = kFirstBarIndex + 1; index <= kLastBarIndex; ++index) {
    flow.Line(PadCell("#" + std::to_string(BarDesignation(index)), 14) +
                  PadCell(ExactDecimal(BarDiameter(index)), 42) + ExactDecimal(BarArea(index)),
              kTable);
  }
}

}  // namespace

void ComposeMethodSheet(SheetFlow& flow) {
  flow.Line("METHOD OF DESIGN", kTitle);
  Flow(flow, kFormulas, std::size(kFormulas));
  Constants(flow);
  Flow(flow, kColumns, std::size(kColumns));
  Flow(flow, kNotChecked, std::size(kNotChecked));
  Flow(flow, kCheckAndBasis, std::size(kCheckAndBasis));
}

}  // namespace kalvorden
