// The calculation sheet: the same design as the report, span by span.
#include "explain/calculation_sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "design/span_sweep.h"
#include "numeric/glibc_float128.h"
#include "report/printed_span.h"
#include "tests/design/design_run.h"

using namespace kalvorden;

namespace {

struct Values {
  const char *load, *cover, *paving, *fs, *fc;
  float cf;
};

DesignInputs InputsOf(const Values& v) {
  DesignInputs inputs = Inputs();
  const char* texts[] = {v.load, v.cover, v.paving, v.fs, v.fc};
  ValueList* lists[] = {&inputs.wheelLoads, &inputs.topCovers, &inputs.futurePavings,
                        &inputs.steelStresses, &inputs.concreteStresses};
  for (int i = 0; i < 5; ++i) {
    lists[i]->values[0] = Q(texts[i]);
  }
  inputs.continuityFactor = Widen(v.cf);
  return inputs;
}

DesignCase CaseOf(const Values& v) {
  DesignCase c{Q(v.load), Q(v.cover), Q(v.paving), Q(v.fs), Q(v.fc)};
  c.continuityFactor = Widen(v.cf);
  return c;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// The value after the last "= " on the last line that starts with `label` (after the indent).
Quad ValueOn(const std::vector<std::string>& lines, const std::string& label) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    const std::string& line = *it;
    if (line.find_first_not_of(' ') == line.find(label)) {
      const size_t equals = line.rfind("= ");
      if (equals != std::string::npos) {
        return strtof128(line.c_str() + equals + 2, nullptr);
      }
    }
  }
  ADD_FAILURE() << label;
  return 0;
}

}  // namespace

// The sheet's result is the report's row for the span, its quantities
// follow, its lines fit 100 columns, it tells the advances that set its bars, and its figures carry
// the design's values to 12 digits. Worked example: #16 to #19 at 2.900 m
// (2.350 m with continuity); fs 100 MPa advances at 1.000, 1.400 and 2.825 m.
TEST(CalculationSheet, EndsWithTheReportRowAndTellsTheAdvances) {
  const Values worked{"72.5", "50", "1.5", "165", "10", 1.0f};
  const Values continuous{"72.5", "50", "1.5", "165", "10", 0.8f};
  const Values closeBars{"72.5", "50", "1.5", "100", "10", 1.0f};
  const Values other{"120", "40", "2.25", "140", "12.5", 0.8f};
  // clang-format off
  const struct { Values values; int32_t span; const char* mentions; } cases[] = {
      {worked, 0, "No bar advance at an earlier span."},
      {worked, 76, "120 mm is under the least spacing of 125 mm: main bars move up to #19,"},
      {worked, 77, "S = 2.900 m: with #16 main bars the spacing is 120 mm, under 125 mm;"},
      {worked, 110, "  Design with #19 main bars and #16 distribution bars"},
      {continuous, 94, "main bars move up to #19"}, {continuous, 95, "S = 3.350 m: with #16"},
      {continuous, 40, "(the 67 % limit)"},
      {closeBars, 0, "main bars move up to #19"}, {closeBars, 17, "S = 1.400 m: with #19"},
      {closeBars, 74, "S = 2.825 m: with #22"}, {other, 60, "CF              is 0.800000011920928955078125"}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.values.fs) + " " + std::to_string(c.values.cf) + " span " +
                 std::to_string(c.span));
    const DesignRun report = RunDesign(InputsOf(c.values));
    ASSERT_EQ(report.rows.size(), 111u);
    const CalculationSheet sheet = WriteCalculationSheet(CaseOf(c.values), c.span);
    EXPECT_TRUE(sheet.designed);
    const std::vector<std::string> lines = Lines(sheet.text);
    // The result ends with the row; the span's quantities follow, and the
    // check as built closes the sheet.
    const auto quantities =
        std::find(lines.begin(), lines.end(), "6. QUANTITIES PER SQUARE METRE OF DECK");
    ASSERT_GE(quantities - lines.begin(), 2);
    EXPECT_EQ(quantities[-2], report.rows[static_cast<size_t>(c.span)]);
    EXPECT_EQ(lines.back().substr(0, 12), "    Checks: ");
    EXPECT_EQ(sheet.text.back(), '\n');
    for (const std::string& line : lines) {
      EXPECT_LE(line.size(), 100u) << line;
    }
    EXPECT_NE(sheet.text.find(c.mentions), std::string::npos) << sheet.text;

    DesignCase designCase = CaseOf(c.values);
    designCase.modularRatio = DeriveModularRatio(designCase.concreteStress);
    DeriveCaseConstants(designCase);
    std::array<SpanDesign, kSpansPerCase> spans{};
    SweepState state;
    SweepSpans(designCase, state, spans);
    const SpanDesign& span = spans[static_cast<size_t>(c.span)];
    const std::pair<const char*, Quad> figures[] = {
        {"minimum thickness", span.minThickness},
        {"required steel area", span.requiredSteelArea},
        {"Resisting moment", designCase.resistingMomentFactor},
        {"design span", span.designSpan}};
    for (const auto& [label, value] : figures) {
      EXPECT_LT(Abs(ValueOn(lines, label) / value - 1), Q("1e-11")) << label;
    }
  }
}

// A span that cannot be designed: the sheet says why and ends with the
// report's row of asterisks.
TEST(CalculationSheet, UndesignableSpanSaysWhy) {
  // clang-format off
  const struct { Values values; int32_t span; const char* why; } cases[] = {
      {{"72.5", "50", "1.5", "165", "0", 1.0f}, 3,
       "The allowable concrete stress fc must be greater than zero."},
      {{"nan", "50", "-1", "165", "10", 1.0f}, 0, "The wheel load P is not a finite number."},
      {{"72.5", "50", "-1", "165", "10", 1.0f}, 0, "The future paving allowance FP must be zero"},
      {{"72.5", "50", "1.5", "165", "1e-4000", 1.0f}, 0, "The required thickness is not a finite"},
      {{"72.5", "50", "1.5", "24e35", "10", 1.0f}, 5, "limit of 100 passes"},
      {{"1e6", "50", "1.5", "165", "10", 0.8f}, 110, "and #57 is the largest bar:"},
      {{"1e6", "50", "1.44", "170", "10", 1.0f}, 2,
       "S = 1.025 m: 20 mm is under the least spacing of 125 mm and #57 is the largest bar:"},
      {{"72.5", "50", "1.5", "165", "1e-9", 1.0f}, 0, "The thickness is beyond any whole"},
      {{"72.5", "1e12", "1.5", "165", "10", 1.0f}, 2, "The thickness is beyond any whole"}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const CalculationSheet sheet = WriteCalculationSheet(CaseOf(c.values), c.span);
    EXPECT_FALSE(sheet.designed);
    EXPECT_NE(sheet.text.find(c.why), std::string::npos) << sheet.text;
    // Bar #0 is the advance's mark for "no larger bar", never a bar to print.
    EXPECT_EQ(sheet.text.find("#0"), std::string::npos) << sheet.text;
    const std::vector<std::string> lines = Lines(sheet.text);
    EXPECT_EQ(lines.back(), RunDesign(InputsOf(c.values)).rows.at(static_cast<size_t>(c.span)));
    EXPECT_EQ(lines.back().substr(7, 20), "    ******   ****   ");
    EXPECT_NE(lines.end()[-2].find("cannot be designed"), std::string::npos);
  }
  for (const int32_t index : {-1, 111}) {
    EXPECT_FALSE(WriteCalculationSheet(CaseOf(cases[0].values), index).designed);
  }
}

// Every printed span names its own row exactly (report/printed_span_test.cc
// has the spans between rows), and they are the report's spans.
TEST(PrintedSpan, NamesItsRowAsTheReportPrintsIt) {
  const DesignRun report = RunDesign(Inputs());
  for (int32_t i = 0; i < kSpansPerCase; ++i) {
    const GoverningSpan span = GoverningRow(PrintedSpan(i));
    EXPECT_TRUE(span.onRow && span.row == i) << i;
    EXPECT_EQ("  " + PrintedSpan(i), report.rows[static_cast<size_t>(i)].substr(0, 7));
  }
}

// The 3.200 m row of 72.5 kN, cover 40 mm, no paving, fs 165, fc 8: as
// designed without continuity (250 mm, #16 at 140) and checked as a simple
// span it is over both allowables; with continuity (230 mm, #16 at 150) it
// is within them. Its cover is under a deck's 50 mm either way.
TEST(CalculationSheet, ChecksTheRowAsBuilt) {
  const struct {
    float cf;
    std::vector<const char*> lines;
  } cases[] = {
      {1.0f,
       {"The slab of the row as built: t = 250 mm, main bars #16 at 140 mm",
        "Without continuity: a simple span.", "M_DL = w S^2 / 8 ",
        "fs = 170.86 MPa, allowable 165 MPa: margin -5.86 MPa, over the allowable",
        "fc = 8.09 MPa, allowable 8 MPa: margin -0.09 MPa, over the allowable",
        "t = 250 mm, recommended least 248.00 mm: margin 2.00 mm, meets it",
        "s = 140 mm, largest 375.0 mm: margin 235.0 mm, meets it",
        "c = 40 mm, least 50 mm: margin -10 mm, under the least", "Checks: fs fc cover\n"}},
      {0.8f,
       {"t = 230 mm, main bars #16 at 150 mm", "With continuity: continuous over three or more",
        "M_DL = w S^2 / 10 ", "fs = 160.59 MPa, allowable 165 MPa: margin 4.41 MPa, meets it",
        "fc = 7.76 MPa, allowable 8 MPa: margin 0.24 MPa, meets it",
        "t = 230 mm, recommended least 206.67 mm: margin 23.33 mm, meets it", "Checks: cover\n"}},
  };
  for (const auto& c : cases) {
    const CalculationSheet sheet =
        WriteCalculationSheet(CaseOf({"72.5", "40", "0", "165", "8", c.cf}), 88);
    const size_t section = sheet.text.find("CHECK AS BUILT");
    ASSERT_NE(section, std::string::npos);
    for (const char* line : c.lines) {
      EXPECT_NE(sheet.text.find(line, section), std::string::npos) << line;
    }
  }
}
