#include "pdf/cover_sheet.h"

#include "design/design_cases.h"
#include "design/value_lists.h"
#include "numeric/decimal.h"
#include "output/file_output.h"
#include "pdf/case_columns.h"
#include "report/field_edit.h"
#include "report/printed_span.h"

namespace kalvorden {
namespace {

const TextStyle kTitle = {.size = 16, .bold = true, .leading = 22};
const TextStyle kSubtitle = {.size = 10.5, .leading = 15};
const TextStyle kSection = {.size = 10, .bold = true, .leading = 16};
const TextStyle kLabel = {.size = 8.5, .gray = 0.3};
const TextStyle kValue = {.size = 9.5, .leading = 15};
const TextStyle kDigest = {.family = kMonoFont, .size = 7.5, .leading = 15};
const TextStyle kBody = {.size = 8.5, .leading = 11.5};
const TextStyle kSignOff = {.size = 9.5, .leading = 24};
const TextStyle kSmall = {.size = 7.5, .gray = 0.3, .leading = 10};
constexpr double kValueX = 110;      // where a form's values start
constexpr double kWideValueX = 180;  // after the longer labels of the values
constexpr double kTableLeading = 10;
constexpr double kLargestTableSize = 7.5;

void Section(SheetFlow& flow, const std::string& title, double keep = 50) {
  CoverSection(flow, title, keep);
}

}  // namespace

void CoverSection(SheetFlow& flow, const std::string& title, double keep) {
  flow.Gap(8);
  flow.KeepTogether(kSection.leading + keep);
  flow.Line(title, kSection);
}

void CoverHeading(SheetFlow& flow, const std::string& title, const std::string& subtitle) {
  flow.Line(title, kTitle);
  flow.Line(subtitle, kSubtitle);
}

void CoverParagraph(SheetFlow& flow, const std::string& text) {
  flow.Text(text, kBody);
}

void CoverField(SheetFlow& flow, const std::string& label, const std::string& value,
                double valueX) {
  flow.Field(label, value, kLabel, kValue, valueX > 0 ? valueX : kValueX);
}

void CoverIdentity(SheetFlow& flow, const ProjectIdentity& project) {
  Section(flow, "PROJECT");
  const struct {
    const char* label;
    const std::string& value;
    int32_t blankRules;
  } fields[] = {{"Title", project.title, 1},       {"Bridge", project.bridge, 1},
                {"Designer", project.designer, 1}, {"Checker", project.checker, 1},
                {"Revision", project.revision, 1}, {"Notes", project.notes, 2}};
  for (const auto& field : fields) {
    flow.Field(field.label, field.value, kLabel, kValue, kValueX, field.blankRules);
  }
}

void CoverRun(SheetFlow& flow, const std::string& version, const std::string& runStamp,
              const std::string& digest, const std::string& forWhat) {
  Section(flow, "RUN");
  flow.Field("Program", version, kLabel, kValue, kValueX);
  flow.Field("Date and time", runStamp + " (the run's one clock reading)", kLabel, kValue, kValueX);
  flow.Field("SHA-256 of values", digest.empty() ? "not recorded for this run" : digest, kLabel,
             digest.empty() ? kValue : kDigest, kValueX);
  flow.Text(
      "The SHA-256 digest of the run's values in their canonical form: the same values give the "
      "same digest, so a filed package can be matched to the values it was " +
          forWhat + " for.",
      TextStyle{.size = 7.5, .gray = 0.3, .indent = kValueX, .leading = 10});
}

namespace {

std::string ValuesText(const ValueList& list) {
  std::string text;
  const int32_t count = std::clamp(list.count, 0, kListCapacity);
  for (int32_t i = 0; i < count; ++i) {
    text += i == 0 ? "" : ", ";
    text += FullValue(list.values[static_cast<size_t>(i)]);
  }
  return text;
}

void Inputs(SheetFlow& flow, const DesignInputs& inputs, int64_t caseCount) {
  Section(flow, "INPUT VALUES, IN FULL");
  for (const ValueListInfo& list : ValueLists()) {
    const std::string label = std::string(list.label) + ", " + std::string(list.symbol) + " (" +
                              std::string(list.unit) + ")";
    const std::string values = ValuesText(ListOf(inputs, list.id));
    flow.Field(label, values.empty() ? "none" : values, kLabel, kValue, kWideValueX);
  }
  const bool continuous = inputs.continuityFactor != 1;
  flow.Field("Continuity factor, CF",
             continuous ? "0.8: the slab's continuity over its supports is allowed for (used as " +
                              ExactDecimal(inputs.continuityFactor) + ")"
                        : "1.0: no continuity allowed for",
             kLabel, kValue, kWideValueX);
  std::string cases = std::to_string(caseCount) + " design case";
  if (caseCount == 0) {
    cases = "none: a list of values is empty";
  } else if (caseCount > 1) {
    cases += "s: every combination of the values, the wheel load varying slowest and fc fastest";
  }
  flow.Field("Design cases", cases, kLabel, kValue, kWideValueX);
}

std::string ResultCells(const GoverningResult& r) {
  if (r.fault != SpanFault::kNone) {
    return PadCell("not designed (its calculation sheet says why)", 56);
  }
  const auto bars = [](int32_t count, int32_t designation) {
    return std::to_string(count) + "-#" + std::to_string(designation);
  };
  return PadCell(std::to_string(r.actualThickness), 11) +
         PadCell("#" + std::to_string(r.mainBar) + " at " + std::to_string(r.mainBarSpacing), 13) +
         PadCell(bars(r.middleHalf, r.distributionBar), 12) +
         PadCell(bars(r.outerQuarters, r.distributionBar), 20);
}

void GoverningTable(SheetFlow& flow, const CoverContent& content, int64_t caseCount) {
  const CaseColumns columns(*content.inputs);
  const size_t caseWidth = std::max<size_t>(5, std::to_string(caseCount).size() + 1);
  const std::string heads[2] = {
      PadCell("Case", caseWidth) + columns.Heading(0) +
          "Thickness  Main bars    Middle half Both outer quarters  Sheet",
      PadCell("", caseWidth) + columns.Heading(1) +
          "(mm)       spacing (mm) (bars)      (bars, half in each)"};
  const size_t width = heads[0].size() + 6;
  const TextStyle table = {.family = kMonoFont,
                           .size = MonoSizeToFit(width, flow.columnWidth(), kLargestTableSize),
                           .leading = kTableLeading};
  flow.KeepTogether(5 * kTableLeading);
  for (const std::string& head : heads) {
    flow.Line(head, table);
  }
  flow.RepeatOnEachSheet({{heads[0], table}, {heads[1], table}});
  int64_t caseNumber = 0;
  ForEachDesignCase(*content.inputs, [&](const DesignCase& c) {
    const size_t index = static_cast<size_t>(caseNumber++);
    const GoverningResult result =
        index < content.governing->size() ? (*content.governing)[index] : GoverningResult{};
    const int64_t sheet = content.firstSheetOf ? content.firstSheetOf(caseNumber) : 0;
    flow.Line(PadCell(std::to_string(caseNumber), caseWidth) + columns.Cells(c) +
                  ResultCells(result) + PadCellLeft(std::to_string(sheet), 5),
              table);
  });
  flow.RepeatOnEachSheet({});
}

void Governing(SheetFlow& flow, const CoverContent& content, int64_t caseCount) {
  const OutputSettings& settings = *content.settings;
  Section(flow, "GOVERNING ROW");
  if (!HasGoverningRow(settings)) {
    if (settings.spanText.empty()) {
      flow.Text(
          "No effective span of the bridge was given: no row of the report is marked as "
          "governing, and no calculation sheet is appended to the design cases.",
          kBody);
      flow.Field("Bridge's span (m)", "", kLabel, kValue, kWideValueX);
    } else {
      flow.Text("The bridge's effective span, " + settings.spanText +
                    " m, is beyond the spans the report designs (1.000 m to 3.750 m): no row "
                    "governs it, and no calculation sheet is appended.",
                kBody);
    }
    return;
  }
  const std::string row = PrintedSpan(settings.governingRow);
  const std::string span = settings.spanText.empty() ? row : settings.spanText;
  flow.Field("Bridge's span (m)", span, kLabel, kValue, kWideValueX);
  flow.Field("Governing row (m)", row, kLabel, kValue, kWideValueX);
  flow.Text(
      "The report designs the spans 1.000 m to 3.750 m in steps of 0.025 m. The row that "
      "governs the bridge's span of " +
          span + " m is the first at or above it, S = " + row +
          " m, the same row in every design case. It is marked on the case's table page, "
          "and the case ends with the calculation sheet of that row. Its result in each "
          "case (sheet: where the case begins):",
      kBody);
  flow.Gap(3);
  GoverningTable(flow, content, caseCount);
}

// The verdict of one check: its figure, limit and margin, and whether the
// slab meets it.
std::string CheckLine(const std::string& what, const std::string& value, const std::string& limit,
                      const std::string& margin, bool fails) {
  return what + ": " + value + " against " + limit + ", margin " + margin +
         (fails ? ": FAILS" : ": meets it");
}

// The adopted case's slab at the governing row, its checks as built and
// the verdict in words. A case that fails any check is NOT OK.
void Adopted(SheetFlow& flow, const CoverContent& content, int64_t caseCount) {
  const OutputSettings& settings = *content.settings;
  const int64_t adopted = settings.adoptedCase;
  if (adopted == 0) {
    flow.Field("Adopted design", "none: no design is adopted (adopt = N, --adopt N)", kLabel,
               kValue, kValueX);
    return;
  }
  Section(flow, "ADOPTED DESIGN");
  const std::string number = "Case " + std::to_string(adopted);
  if (adopted > caseCount) {
    flow.Text(number + " is adopted, but the run has " + std::to_string(caseCount) +
                  " cases: no design is adopted.",
              kBody);
    return;
  }
  if (!HasGoverningRow(settings) || content.governing == nullptr ||
      static_cast<size_t>(adopted) > content.governing->size()) {
    flow.Text(number +
                  " is adopted; without the bridge's span no row governs, so no slab is "
                  "stated or checked.",
              kBody);
    return;
  }
  const GoverningResult& r = (*content.governing)[static_cast<size_t>(adopted - 1)];
  if (r.fault != SpanFault::kNone || !r.check.known) {
    flow.Text(number + " is adopted. Verdict: NOT OK: its governing row could not be designed.",
              kBody);
    return;
  }
  const AsBuiltCheck& c = r.check;
  const auto fixed = [](Quad value, int decimals) { return FixedText(value, decimals); };
  const std::string distribution = "#" + std::to_string(r.distributionBar);
  flow.Text(number + " is adopted, at the governing row S = " + PrintedSpan(settings.governingRow) +
                " m: slab " + std::to_string(r.actualThickness) + " mm thick; main bars #" +
                std::to_string(r.mainBar) + " at " + std::to_string(r.mainBarSpacing) +
                " mm across the span, in the top layer (the effective depth, " +
                fixed(r.effectiveDepth, 2) +
                " mm, is taken from the top face and its cover); distribution bars " +
                std::to_string(r.middleHalf) + " " + distribution + " in the middle half and " +
                std::to_string(r.outerQuarters) + " " + distribution +
                " in both outer quarters together (half in each). Concrete " +
                fixed(r.quantities.concrete, kConcreteDecimals) + " m³/m², reinforcing steel " +
                fixed(r.quantities.totalSteel, kSteelMassDecimals) + " kg/m² of deck.",
            kBody);
  const std::string lines[] = {
      CheckLine("Steel stress as built", fixed(c.section.steelStress, 2) + " MPa", "the allowable",
                fixed(c.steelStressMargin, 2) + " MPa", (c.failed & kSteelStressFails) != 0),
      CheckLine("Concrete stress as built", fixed(c.section.concreteStress, 2) + " MPa",
                "the allowable", fixed(c.concreteStressMargin, 2) + " MPa",
                (c.failed & kConcreteStressFails) != 0),
      CheckLine("Thickness", std::to_string(r.actualThickness) + " mm",
                "the recommended least " + fixed(c.leastThickness, 2) + " mm",
                fixed(c.thicknessMargin, 2) + " mm", (c.failed & kThicknessFails) != 0),
      CheckLine("Main bar spacing", std::to_string(r.mainBarSpacing) + " mm",
                "the largest " + fixed(c.largestSpacing, 1) + " mm",
                fixed(c.spacingMargin, 1) + " mm", (c.failed & kSpacingFails) != 0),
      CheckLine("Top cover", FullDecimal(r.topCover, FullDecimalUse::kTable) + " mm",
                "a deck's least 50 mm", FullDecimal(c.coverMargin, FullDecimalUse::kTable) + " mm",
                (c.failed & kCoverFails) != 0)};
  for (const std::string& line : lines) {
    flow.Text(line, kBody);
  }
  flow.Text(c.failed == 0 ? "Verdict: OK."
                          : "Verdict: NOT OK: fails " + CheckNames(c.failed) +
                                " (method manual, section 18).",
            kBody);
}

}  // namespace

void CoverSignOff(SheetFlow& flow, const ProjectIdentity& project) {
  Section(flow, "SIGN-OFF", 3 * kSignOff.leading + 20);
  const struct {
    const char* role;
    const std::string* name;
  } roles[] = {{"Designed by", &project.designer},
               {"Checked by", &project.checker},
               {"Approved by", nullptr}};
  // The name's rule, then the signature's and the date's.
  const double width = flow.columnWidth();
  const double dateX = width - 90;
  const double signatureX = kValueX + (dateX - kValueX) / 2;
  for (const auto& role : roles) {
    flow.FormRow({{role.role, role.name != nullptr ? *role.name : std::string(), 0, kValueX,
                   signatureX - 50},
                  {"signature", "", signatureX - 42, signatureX, dateX - 32},
                  {"date", "", dateX - 22, dateX, width}},
                 kLabel, kSignOff);
  }
  flow.Gap(4);
  flow.Text("Names as the project gives them; signed and dated by hand.", kSmall);
}

GoverningResult GoverningResultOf(const DesignCase& designCase, const SpanDesign& span,
                                  int32_t row) {
  GoverningResult result;
  result.fault = span.fault;
  result.actualThickness = span.actualThickness;
  result.mainBar = span.mainBarDesignation;
  result.mainBarSpacing = span.mainBarSpacing;
  result.middleHalf = span.middleHalfBarCount;
  result.outerQuarters = span.outerQuartersBarCount;
  result.distributionBar = span.distBarDesignation;
  result.quantities = QuantitiesOf(span, PrintedSpanMillimetres(row));
  result.check = CheckAsBuilt(AsBuiltRowOf(designCase, span, PrintedSpanMillimetres(row)));
  result.effectiveDepth = result.check.effectiveDepth;
  result.topCover = designCase.topCover;
  return result;
}

bool HasGoverningRow(const OutputSettings& settings) {
  return settings.governingRow >= 0 && settings.governingRow < kSpansPerCase;
}

void ComposeCover(SheetFlow& flow, const CoverContent& content) {
  const int64_t caseCount = DesignCaseCount(*content.inputs);
  CoverHeading(flow, "KALVORDEN CALCULATION PACKAGE",
               "Reinforced-concrete deck slab of a highway bridge: service-load design (metric)");
  CoverIdentity(flow, content.settings->project);
  CoverRun(flow, content.version, content.runStamp, content.settings->digest, "designed");
  // The sign-off signs the values the digest above identifies: it stays on
  // the first sheet with it, however long the tables below grow.
  CoverSignOff(flow, content.settings->project);
  // The adopted design before the values and governing rows, whose length
  // grows with the cases: the short section is never left alone on a sheet.
  Adopted(flow, content, caseCount);
  Inputs(flow, *content.inputs, caseCount);
  Governing(flow, content, caseCount);
}

}  // namespace kalvorden
