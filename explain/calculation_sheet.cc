#include "explain/calculation_sheet.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "design/as_built_check.h"
#include "design/bar_table.h"
#include "design/design_cases.h"
#include "design/design_constants.h"
#include "design/span_quantities.h"
#include "design/span_sweep.h"
#include "design/span_trace.h"
#include "numeric/decimal.h"
#include "report/field_edit.h"
#include "report/printed_span.h"
#include "report/report_row.h"

namespace kalvorden {
namespace {

std::string Bar(int32_t designation) {
  return "#" + std::to_string(designation);
}

// The sheet's text, built line by line.
class Sheet {
 public:
  void Line(std::string_view text = {}) {
    text_.append(text);
    text_.push_back('\n');
  }
  // Sections are numbered in the order they appear.
  void Heading(std::string_view title) {
    Line();
    Line(std::to_string(++sections_) + ". " + std::string(title));
  }
  // "    what        formula            = value unit", with the formulas and
  // the equals signs in fixed columns.
  void Quantity(std::string_view what, std::string_view formula, const std::string& value,
                std::string_view unit = {}, int indent = 4) {
    std::string line(static_cast<size_t>(indent), ' ');
    line.append(what);
    Pad(line, kFormulaColumn);
    line.append(formula);
    Pad(line, kEqualsColumn);
    line.append("= ").append(value);
    if (!unit.empty()) {
      line.append(" ").append(unit);
    }
    Line(line);
  }
  std::string Take() { return std::move(text_); }

 private:
  static constexpr size_t kFormulaColumn = 30;
  static constexpr size_t kEqualsColumn = 60;
  static void Pad(std::string& line, size_t column) {
    line.resize(std::max(line.size() + 1, column), ' ');
  }
  std::string text_;
  int sections_ = 0;
};

using TraceEvent =
    std::variant<SpanAttempt, ThicknessPass, MainSteelSteps, BarAdvance, DistributionSteps>;

// Keeps every bar advance of the sweep, and every step of the span being
// designed (the last one, when the sweep ends).
class SheetTrace final : public SpanTrace {
 public:
  std::vector<BarAdvance> advances;
  std::vector<TraceEvent> lastSpan;

  void Attempt(const SpanAttempt& attempt) override {
    if (!lastSpan.empty() &&
        std::get<SpanAttempt>(lastSpan.front()).spanLength != attempt.spanLength) {
      lastSpan.clear();
    }
    lastSpan.emplace_back(attempt);
  }
  void Pass(const ThicknessPass& pass) override { lastSpan.emplace_back(pass); }
  void MainSteel(const MainSteelSteps& steel) override { lastSpan.emplace_back(steel); }
  void Advance(const BarAdvance& advance) override {
    advances.push_back(advance);
    lastSpan.emplace_back(advance);
  }
  void Distribution(const DistributionSteps& distribution) override {
    lastSpan.emplace_back(distribution);
  }
};

void WriteValues(Sheet& sheet, const DesignCase& c) {
  sheet.Heading("DESIGN VALUES");
  sheet.Quantity("Wheel load", "P", WorkingText(c.wheelLoad), "kN");
  sheet.Quantity("Top cover", "c", WorkingText(c.topCover), "mm");
  sheet.Quantity("Future paving allowance", "FP", WorkingText(c.futurePaving), "kN/m^2");
  sheet.Quantity("Allowable steel stress", "fs", WorkingText(c.steelStress), "MPa");
  sheet.Quantity("Allowable concrete stress", "fc", WorkingText(c.concreteStress), "MPa");
  sheet.Quantity("Continuity factor", "CF", WorkingText(c.continuityFactor),
                 c.continuityFactor == 1 ? "(no continuity)" : "(slab continuous)");
  sheet.Quantity("Span deduction width", "b", WorkingText(c.spanDeductionWidth), "mm");
}

// Why the values describe no slab, value by value.
void WriteInvalidValues(Sheet& sheet, const DesignCase& c) {
  sheet.Heading("THE VALUES DESCRIBE NO SLAB");
  const struct {
    Quad value;
    const char* name;
    bool mustBePositive;
  } checks[] = {{c.wheelLoad, "The wheel load P", false},
                {c.topCover, "The top cover c", false},
                {c.futurePaving, "The future paving allowance FP", false},
                {c.steelStress, "The allowable steel stress fs", true},
                {c.concreteStress, "The allowable concrete stress fc", true}};
  for (const auto& check : checks) {
    if (!IsFinite(check.value)) {
      sheet.Line(std::string("    ") + check.name + " is not a finite number.");
    } else if (check.mustBePositive ? !(check.value > 0) : check.value < 0) {
      sheet.Line(std::string("    ") + check.name + " must be " +
                 (check.mustBePositive ? "greater than zero." : "zero or more."));
    }
  }
  sheet.Line("    No span of this case can be designed: every value must be finite, fs and fc");
  sheet.Line("    greater than zero, and the wheel load, cover and paving zero or more.");
}

void WriteCaseConstants(Sheet& sheet, const DesignCase& c) {
  const ModularRatioSteps n = DeriveModularRatioSteps(c.concreteStress);
  sheet.Heading("CASE CONSTANTS");
  sheet.Quantity("Concrete strength", "f'c = fc / 0.4", WorkingText(n.concreteStrength), "MPa");
  sheet.Quantity("Concrete modulus", "Ec = 4790.956 sqrt(f'c)", WorkingText(n.concreteModulus),
                 "MPa");
  sheet.Quantity("Steel modulus", "Es", WorkingText(kSteelModulus), "MPa");
  sheet.Quantity("Modulus ratio", "Es / Ec", WorkingText(n.ratio));
  sheet.Quantity("Modular ratio", "n = Es / Ec rounded, >= 6", std::to_string(c.modularRatio));
  sheet.Quantity("Neutral axis depth ratio", "k = fc / (fc + fs / n)", WorkingText(c.k));
  sheet.Quantity("Lever arm ratio", "j = 1 - k / 3", WorkingText(c.j));
  sheet.Quantity("Resisting moment factor", "R = 500 fc k j", WorkingText(c.resistingMomentFactor),
                 "kN/m^2");
  sheet.Quantity("Steel area factor", "Cs = 1 / (fs j)", WorkingText(c.steelAreaFactor), "1/MPa");
  sheet.Quantity("Live load moment factor", "F = P CF (1 + 0.3) / 9.74",
                 WorkingText(c.liveLoadMomentFactor), "kN");
  sheet.Line("    Constants written in single precision are used at their stored values:");
  std::vector<std::pair<const char*, Quad>> constants = {{"0.4", kAllowableStressRatio},
                                                         {"4790.956", kConcreteModulusFactor},
                                                         {"0.3", kImpactFraction},
                                                         {"9.74", kWheelLoadDivisor},
                                                         {"0.61", kLiveLoadSpanAddend},
                                                         {"0.0235631503", kSlabWeightFactor},
                                                         {"1/10", kDeadLoadMomentCoefficient},
                                                         {"0.0001", kThicknessTolerance},
                                                         {"0.999", kThicknessRoundUpAddend},
                                                         {"0.67", kLargestDistributionFraction},
                                                         {"0.9999", kBarCountRoundUpAddend},
                                                         {"0.025", kSpanStep}};
  if (c.continuityFactor != 1) {
    constants.emplace_back("CF", c.continuityFactor);
  }
  for (const auto& [written, value] : constants) {
    std::string line = std::string("      ") + written;
    line.resize(22, ' ');
    sheet.Line(line + "is " + ExactDecimal(value));
  }
}

// A spacing under the least one while the main bars are already the largest
// (the advance records no larger bar): the span's own steps and the sweep's
// list of earlier spans say it in the same words.
void WriteNoLargerBar(Sheet& sheet, const BarAdvance& a, const std::string& first,
                      const std::string& second) {
  sheet.Line(first + std::to_string(a.mainBarSpacing) +
             " mm is under the least spacing of 125 mm and " + Bar(a.fromMainBar) +
             " is the largest bar:");
  sheet.Line(second + "no bar is large enough. The span cannot be designed.");
}

void WriteSweep(Sheet& sheet, const SheetTrace& trace, std::span<const SpanDesign> spans) {
  const SpanDesign& last = spans.back();
  const std::string target = PrintedSpan(static_cast<int32_t>(spans.size()) - 1);
  sheet.Heading("SWEEP OF SPANS FROM 1.000 m TO " + target + " m");
  sheet.Line(
      "    Every case starts at S = 1.000 m with #16 main bars and #13 distribution bars and");
  sheet.Line("    designs the spans in turn, in steps of 0.025 m; the bars only move up. A span");
  sheet.Line(
      "    whose main bar spacing comes out under 125 mm is designed again with both bars one");
  sheet.Line("    size larger, and the larger bars stay for the following spans.");
  int32_t earlier = 0;
  for (const BarAdvance& advance : trace.advances) {
    if (advance.spanLength == last.spanLength) {
      continue;
    }
    if (earlier++ == 0) {
      sheet.Line("    Bar advances at earlier spans:");
    }
    const auto at = std::find_if(spans.begin(), spans.end(), [&](const SpanDesign& s) {
      return s.spanLength == advance.spanLength;
    });
    const std::string span = PrintedSpan(static_cast<int32_t>(at - spans.begin()));
    if (advance.toMainBar == 0) {
      WriteNoLargerBar(sheet, advance, "      S = " + span + " m: ", "        ");
      continue;
    }
    sheet.Line("      S = " + span + " m: with " + Bar(advance.fromMainBar) +
               " main bars the spacing is " + std::to_string(advance.mainBarSpacing) +
               " mm, under 125 mm;");
    sheet.Line("        main bars move up to " + Bar(advance.toMainBar) +
               ", distribution bars to " + Bar(advance.toDistributionBar) + ".");
  }
  if (earlier == 0) {
    sheet.Line("    No bar advance at an earlier span.");
  }
  int32_t faults = 0;
  for (size_t i = 0; i + 1 < spans.size(); ++i) {
    if (spans[i].fault != SpanFault::kNone) {
      ++faults;
    }
  }
  if (faults > 0) {
    sheet.Line("    " + std::to_string(faults) +
               " earlier span(s) could not be designed; their bars stayed as they were.");
  }
}

void WriteAttempt(Sheet& sheet, const SpanAttempt& a) {
  sheet.Line();
  sheet.Line("  Design with " + Bar(a.mainBar) + " main bars and " + Bar(a.distributionBar) +
             " distribution bars");
  // Doubling the half diameter is exact.
  sheet.Quantity("main bar diameter", "db", WorkingText(2 * a.halfMainBarDiameter), "mm");
  sheet.Quantity("main bar area", "Ab", WorkingText(a.mainBarArea), "mm^2");
  sheet.Line("    Thickness iteration on the slab's own weight, from t = 200 mm; converged when");
  sheet.Line("    |t_req - t| < 0.0001 mm, otherwise the next pass takes t = t_req.");
}

void WritePass(Sheet& sheet, const ThicknessPass& p) {
  sheet.Line("    Pass " + std::to_string(p.pass));
  sheet.Quantity("trial thickness", "t", WorkingText(p.trialThickness), "mm", 6);
  sheet.Quantity("live load moment", "M_LL = (S' + 0.61) F", WorkingText(p.liveLoadMoment),
                 "kN m/m", 6);
  sheet.Quantity("dead load", "w = 0.0235631503 t + FP", WorkingText(p.deadLoad), "kN/m^2", 6);
  sheet.Quantity("dead load moment", "M_DL = w S'^2 / 10", WorkingText(p.deadLoadMoment), "kN m/m",
                 6);
  sheet.Quantity("design moment", "M = M_LL + M_DL", WorkingText(p.designMoment), "kN m/m", 6);
  sheet.Quantity("required depth", "d = 1000 sqrt(M / R)", WorkingText(p.requiredDepth), "mm", 6);
  sheet.Quantity("required thickness", "t_req = d + db / 2 + c", WorkingText(p.requiredThickness),
                 "mm", 6);
  sheet.Quantity("change", "|t_req - t|", WorkingText(p.change),
                 p.converged ? "mm: converged" : "mm: not converged", 6);
}

// Why the passes stopped without a thickness.
void WriteNoThickness(Sheet& sheet, const ThicknessPass* last) {
  if (last != nullptr && !IsFinite(last->requiredThickness)) {
    sheet.Line("    The required thickness is not a finite number: M / R is not positive and");
    sheet.Line("    finite (the concrete stress is too small for the slab to carry even itself),");
    sheet.Line("    and no further pass can recover. The span cannot be designed.");
  } else {
    sheet.Line("    The passes found no thickness that carries the slab's own weight within the");
    sheet.Line("    limit of 100 passes. The span cannot be designed.");
  }
}

void WriteMainSteel(Sheet& sheet, const MainSteelSteps& s) {
  sheet.Quantity("minimum thickness", "t_req of the last pass", WorkingText(s.minThickness), "mm");
  sheet.Line("    Actual thickness: the slab is made in 5 mm steps, rounded up; a minimum less");
  sheet.Line("    than about 0.005 mm above a step stays on it.");
  sheet.Quantity("steps", "t_min / 5", WorkingText(s.thicknessSteps));
  if (s.actualThickness == 0 && !s.inRange) {
    sheet.Line("    The thickness is beyond any whole number of millimetres the design can hold");
    sheet.Line("    (about 2.1 x 10^9 mm): the span cannot be designed.");
    return;
  }
  sheet.Quantity("actual thickness", "t = 5 trunc(steps + 0.999)",
                 std::to_string(s.actualThickness), "mm");
  sheet.Quantity("effective depth", "d = t - db / 2 - c", WorkingText(s.effectiveDepth), "mm");
  sheet.Quantity("design moment", "M (of the last pass)", WorkingText(s.designMoment), "kN m/m");
  sheet.Quantity("required steel area", "As = 10^6 M Cs / d", WorkingText(s.requiredSteelArea),
                 "mm^2 per m");
  sheet.Quantity("bar spacing for As", "1000 Ab / As", WorkingText(s.rawSpacing), "mm");
  if (!s.inRange) {
    sheet.Line("    The spacing is beyond any whole number of millimetres the design can hold");
    sheet.Line("    (about 2.1 x 10^9 mm): the span cannot be designed.");
    return;
  }
  sheet.Quantity("main bar spacing", "s = 5 trunc(1000 Ab / As / 5)",
                 std::to_string(s.mainBarSpacing), "mm");
}

void WriteAdvance(Sheet& sheet, const BarAdvance& a) {
  if (a.toMainBar == 0) {
    WriteNoLargerBar(sheet, a, "    ", "    ");
    return;
  }
  sheet.Line("    " + std::to_string(a.mainBarSpacing) +
             " mm is under the least spacing of 125 mm: main bars move up to " + Bar(a.toMainBar) +
             ",");
  sheet.Line("    distribution bars to " + Bar(a.toDistributionBar) +
             ", and the span is designed again.");
}

void WriteDistribution(Sheet& sheet, const DistributionSteps& d, const SpanDesign& span) {
  sheet.Line();
  sheet.Line("  Distribution reinforcement, " + Bar(span.distBarDesignation) + " bars (area " +
             WorkingText(span.distBarArea) + " mm^2)");
  sheet.Quantity("percentage of main steel", "121 / sqrt(S')", WorkingText(d.percentage), "%");
  sheet.Quantity("fraction", "r = min(% / 100, 0.67)", WorkingText(d.fraction),
                 d.capped ? "(the 67 % limit)" : "");
  sheet.Quantity("distribution steel", "A = r As S'", WorkingText(d.distributionArea), "mm^2");
  sheet.Quantity("bar pairs", "2 x bar area", WorkingText(d.pairArea), "mm^2");
  sheet.Quantity("bar quantity", "N = A / (2 x bar area)", WorkingText(d.bars));
  sheet.Quantity("middle half", "trunc(N + 0.9999)", std::to_string(d.middleHalf), "bars");
  sheet.Quantity("half quantity", "N / 2", WorkingText(d.halfBars));
  sheet.Quantity("both outer quarters", "trunc(N/2 + 0.9999), even",
                 std::to_string(d.outerQuarters), "bars, half in each");
}

// The steps of the chosen span, in the order the design took them.
void WriteSpan(Sheet& sheet, const SheetTrace& trace, const SpanDesign& span,
               const std::string& spanText) {
  sheet.Heading("SPAN S = " + spanText + " m");
  sheet.Quantity("design span", "S' = (1000 S - b / 2) / 1000", WorkingText(span.designSpan), "m");
  const ThicknessPass* lastPass = nullptr;
  const MainSteelSteps* lastSteel = nullptr;
  for (size_t i = 0; i < trace.lastSpan.size(); ++i) {
    const TraceEvent& event = trace.lastSpan[i];
    if (const auto* attempt = std::get_if<SpanAttempt>(&event)) {
      WriteAttempt(sheet, *attempt);
      lastPass = nullptr;
      lastSteel = nullptr;
    } else if (const auto* pass = std::get_if<ThicknessPass>(&event)) {
      WritePass(sheet, *pass);
      lastPass = pass;
    } else if (const auto* steel = std::get_if<MainSteelSteps>(&event)) {
      WriteMainSteel(sheet, *steel);
      lastSteel = steel;
      // The design moves on without a bar advance: the spacing was enough.
      const bool advanced = i + 1 < trace.lastSpan.size() &&
                            std::holds_alternative<BarAdvance>(trace.lastSpan[i + 1]);
      if (steel->inRange && !advanced) {
        sheet.Line("    " + std::to_string(steel->mainBarSpacing) +
                   " mm is not under the least spacing of 125 mm: the bars are kept.");
      }
    } else if (const auto* advance = std::get_if<BarAdvance>(&event)) {
      WriteAdvance(sheet, *advance);
    } else if (const auto* distribution = std::get_if<DistributionSteps>(&event)) {
      WriteDistribution(sheet, *distribution, span);
    }
  }
  // The other faults were told with the step that found them.
  if (span.fault == SpanFault::kNoThickness) {
    WriteNoThickness(sheet, lastPass);
  } else if (span.fault == SpanFault::kOutOfRange && lastSteel != nullptr && lastSteel->inRange) {
    sheet.Line("    The bar count is beyond any whole number the design can hold");
    sheet.Line("    (about 2.1 x 10^9): the span cannot be designed.");
  }
}

void WriteResult(Sheet& sheet, const SpanDesign& span, const std::string& spanText) {
  sheet.Heading("RESULT");
  if (span.fault == SpanFault::kNone) {
    sheet.Line("    S = " + spanText + " m: minimum thickness " + WorkingText(span.minThickness) +
               " mm, actual thickness " + std::to_string(span.actualThickness) + " mm,");
    sheet.Line("    main bars " + Bar(span.mainBarDesignation) + " at " +
               std::to_string(span.mainBarSpacing) + " mm;");
    sheet.Line("    distribution bars: " + std::to_string(span.middleHalfBarCount) + " " +
               Bar(span.distBarDesignation) + " in the middle half and " +
               std::to_string(span.outerQuartersBarCount) + " " + Bar(span.distBarDesignation) +
               " in the two outer quarters");
    sheet.Line("    together, half in each outer quarter.");
    sheet.Line("    The report prints this row, its figures rounded to the printed digits:");
  } else {
    sheet.Line("    S = " + spanText + " m cannot be designed. The report prints this row:");
  }
  const ReportLine row = FormatRow(span);
  sheet.Line(View(row));
}

// What the span costs in material per square metre of deck, from its row.
void WriteQuantities(Sheet& sheet, const SpanDesign& span, int32_t spanIndex) {
  const SpanQuantities q = QuantitiesOf(span, PrintedSpanMillimetres(spanIndex));
  if (!q.known) {
    return;
  }
  sheet.Heading("QUANTITIES PER SQUARE METRE OF DECK");
  sheet.Line("    From the row as printed, over the printed span S = " + PrintedSpan(spanIndex) +
             " m, with the bars' nominal masses m");
  sheet.Line(
      "    (ASTM A615/A615M, Table 1), each rounded to the decimals shown. Main bars: 1000 / s");
  sheet.Line(
      "    bars per metre of bridge, each S long, over S; distribution bars: the middle half's");
  sheet.Line(
      "    and both outer quarters' bars across the width S, each running along the bridge.");
  sheet.Line(
      "    For comparing design cases: laps, hooks, top and overhang steel and waste are left");
  sheet.Line("    out, so this is not a bar list.");
  const int32_t mainBar = BarIndexOf(span.mainBarDesignation);
  const int32_t distributionBar = BarIndexOf(span.distBarDesignation);
  sheet.Quantity("concrete", "t / 1000", FixedText(q.concrete, kConcreteDecimals), "m^3/m^2");
  sheet.Quantity("main steel provided", "1000 Ab / s",
                 FixedText(q.providedSteelArea, kSteelAreaDecimals), "mm^2 per m");
  sheet.Quantity("main bar mass", "m, " + Bar(span.mainBarDesignation),
                 FixedUnitsText(BarMassGramsPerMetre(mainBar), 3), "kg/m");
  sheet.Quantity("main bars", "(1000 / s) m", FixedText(q.mainSteel, kSteelMassDecimals), "kg/m^2");
  sheet.Quantity("distribution bar mass", "m, " + Bar(span.distBarDesignation),
                 FixedUnitsText(BarMassGramsPerMetre(distributionBar), 3), "kg/m");
  sheet.Quantity("distribution bars",
                 "(" + std::to_string(span.middleHalfBarCount) + " + " +
                     std::to_string(span.outerQuartersBarCount) + ") m / S",
                 FixedText(q.distributionSteel, kSteelMassDecimals), "kg/m^2");
  sheet.Quantity("reinforcing steel", "main + distribution",
                 FixedText(q.totalSteel, kSteelMassDecimals), "kg/m^2");
  sheet.Quantity("steel per concrete", "steel / concrete",
                 FixedText(q.steelPerConcrete, kSteelPerConcreteDecimals), "kg/m^3");
}

// A limit's line: the value as built against its limit, the margin (the
// limit's side positive), and whether the row meets it.
void WriteVerdict(Sheet& sheet, const std::string& value, const std::string& limit,
                  const std::string& margin, bool fails, std::string_view failure) {
  sheet.Line("    " + value + ", " + limit + ": margin " + margin + ", " +
             (fails ? std::string(failure) : std::string("meets it")));
}

// The row's slab as built (design/as_built_check.h): its stresses under the
// service moment, and the limits of a deck slab, each with its margin.
void WriteAsBuiltCheck(Sheet& sheet, const DesignCase& c, const SpanDesign& span,
                       int32_t spanIndex) {
  const AsBuiltCheck check = CheckAsBuilt(AsBuiltRowOf(c, span, PrintedSpanMillimetres(spanIndex)));
  if (!check.known) {
    return;
  }
  const bool continuous = check.deadLoadDivisor == 10;
  sheet.Heading("CHECK AS BUILT");
  sheet.Line("    The slab of the row as built: t = " + std::to_string(span.actualThickness) +
             " mm, main bars " + Bar(span.mainBarDesignation) + " at " +
             std::to_string(span.mainBarSpacing) + " mm, top cover c,");
  sheet.Line("    at the printed span S = " + PrintedSpan(spanIndex) +
             " m, its own weight at t; the cracked elastic section, k from");
  sheet.Line("    the steel provided. " +
             std::string(continuous ? "With continuity: continuous over three or more supports."
                                    : "Without continuity: a simple span."));
  sheet.Quantity("span", "S = L / 1000", WorkingText(check.span), "m");
  sheet.Quantity("steel as built", "As = 1000 Ab / s", WorkingText(check.steelArea), "mm^2 per m");
  sheet.Quantity("depth as built", "d = t - db / 2 - c", WorkingText(check.effectiveDepth), "mm");
  sheet.Quantity("live-load moment", "M_LL = (S + 0.61) F", WorkingText(check.liveLoadMoment),
                 "kN m/m");
  sheet.Quantity("dead load", "w = t 0.0235631503 + FP", WorkingText(check.deadLoad), "kN/m^2");
  sheet.Quantity("dead-load moment", "M_DL = w S^2 / " + std::to_string(check.deadLoadDivisor),
                 WorkingText(check.deadLoadMoment), "kN m/m");
  sheet.Quantity("service moment", "M = M_LL + M_DL", WorkingText(check.serviceMoment), "kN m/m");
  sheet.Quantity("steel ratio", "rho = As / (1000 d)", WorkingText(check.section.steelRatio));
  sheet.Quantity("neutral axis ratio", "k = sqrt(2 rn + rn^2) - rn", WorkingText(check.section.k));
  sheet.Line("      with rn = rho n, n = " + std::to_string(c.modularRatio));
  sheet.Quantity("lever arm ratio", "j = 1 - k / 3", WorkingText(check.section.j));
  sheet.Quantity("stress in the steel", "10^6 M / (As j d)", WorkingText(check.section.steelStress),
                 "MPa");
  sheet.Quantity("stress in the concrete", "2000 M / (k d j d)",
                 WorkingText(check.section.concreteStress), "MPa");
  sheet.Line(continuous
                 ? "    Recommended least thickness (S + 3000) / 30 mm, at least 165 mm; largest"
                 : "    Recommended least thickness for a simple span 1.2 (S + 3000) / 30 mm, at "
                   "least");
  sheet.Line(continuous
                 ? "    main bar spacing 1.5 t, at most 450 mm; least top cover of a deck 50 mm:"
                 : "    198 mm; largest main bar spacing 1.5 t, at most 450 mm; least top "
                   "cover 50 mm:");
  const auto full = [](Quad value) { return FullDecimal(value, FullDecimalUse::kTable); };
  WriteVerdict(sheet,
               "fs = " + FixedText(check.section.steelStress, kAsBuiltStressDecimals) + " MPa",
               "allowable " + full(c.steelStress) + " MPa",
               FixedText(check.steelStressMargin, kAsBuiltStressDecimals) + " MPa",
               (check.failed & kSteelStressFails) != 0, "over the allowable");
  WriteVerdict(sheet,
               "fc = " + FixedText(check.section.concreteStress, kAsBuiltStressDecimals) + " MPa",
               "allowable " + full(c.concreteStress) + " MPa",
               FixedText(check.concreteStressMargin, kAsBuiltStressDecimals) + " MPa",
               (check.failed & kConcreteStressFails) != 0, "over the allowable");
  WriteVerdict(
      sheet, "t = " + std::to_string(span.actualThickness) + " mm",
      "recommended least " + FixedText(check.leastThickness, kLeastThicknessDecimals) + " mm",
      FixedText(check.thicknessMargin, kLeastThicknessDecimals) + " mm",
      (check.failed & kThicknessFails) != 0, "below the recommended least depth");
  WriteVerdict(sheet, "s = " + std::to_string(span.mainBarSpacing) + " mm",
               "largest " + FixedText(check.largestSpacing, kLargestSpacingDecimals) + " mm",
               FixedText(check.spacingMargin, kLargestSpacingDecimals) + " mm",
               (check.failed & kSpacingFails) != 0, "wider than the largest");
  WriteVerdict(sheet, "c = " + full(c.topCover) + " mm",
               "least " + std::to_string(kLeastDeckTopCover) + " mm",
               full(check.coverMargin) + " mm", (check.failed & kCoverFails) != 0,
               "under the least");
  sheet.Line("    (A deck needs 65 mm of top cover where de-icing salts are used without other");
  sheet.Line("    protection; a slab thinner than recommended is allowed where its deflection is");
  sheet.Line("    shown to be acceptable.)");
  sheet.Line("    Checks: " + CheckNames(check.failed));
}

}  // namespace

CalculationSheet WriteCalculationSheet(const DesignCase& values, int32_t spanIndex) {
  // The entered values kept; everything else set or derived here.
  DesignCase c = values;
  c.spanDeductionWidth = 0;
  c.modularRatio = DeriveModularRatio(c.concreteStress);
  DeriveCaseConstants(c);

  if (spanIndex < 0 || spanIndex >= kSpansPerCase) {
    return CalculationSheet{"No span is numbered " + std::to_string(spanIndex) +
                                "; the spans are numbered 0 (1.000 m) to 110 (3.750 m).\n",
                            false, SpanDesign{}};
  }
  const std::string spanText = PrintedSpan(spanIndex);
  Sheet sheet;
  sheet.Line("CALCULATION SHEET: REINFORCED-CONCRETE DECK SLAB, SERVICE-LOAD DESIGN (METRIC)");
  sheet.Line("Span S = " + spanText + " m of the design case below. Every value is the one the");
  sheet.Line("design computes in binary128 arithmetic, printed to 12 significant digits.");
  WriteValues(sheet, c);

  std::vector<SpanDesign> spans(static_cast<size_t>(spanIndex) + 1);
  SheetTrace trace;
  SweepState state;
  SweepSpans(c, state, spans, &trace);
  const SpanDesign& span = spans.back();

  if (!HasDesignableValues(c)) {
    WriteInvalidValues(sheet, c);
  } else {
    WriteCaseConstants(sheet, c);
    WriteSweep(sheet, trace, spans);
    WriteSpan(sheet, trace, span, spanText);
  }
  WriteResult(sheet, span, spanText);
  WriteQuantities(sheet, span, spanIndex);
  WriteAsBuiltCheck(sheet, c, span, spanIndex);
  return CalculationSheet{sheet.Take(), span.fault == SpanFault::kNone, span};
}

CalculationSheet WriteGovernedSheet(const DesignCase& values, const GoverningSpan& span) {
  CalculationSheet sheet = WriteCalculationSheet(values, span.row);
  if (!span.onRow) {
    sheet.text.insert(0, "span " + span.exact + " m is governed by the printed row " +
                             PrintedSpan(span.row) + " m; the sheet shows that row\n");
  }
  return sheet;
}

}  // namespace kalvorden
