// Design cases, their constants and the span sweep.
#include <gtest/gtest.h>

#include "design/design_cases.h"
#include "design/span_sweep.h"
#include "tests/design/design_run.h"

using namespace kalvorden;

TEST(DeriveModularRatio, RoundsEsOverEcAndKeepsAtLeastSix) {
  // clang-format off
  const std::pair<const char*, int32_t> cases[] = {{"10", 8}, {"20", 6}, {"24", 6}, {"5", 12},
      {"0", 6}, {"-10", 6}, {"nan", 6}, {"inf", 6}};
  // clang-format on
  for (const auto& [concreteStress, n] : cases) {
    EXPECT_EQ(DeriveModularRatio(Q(concreteStress)), n) << concreteStress;
  }
}

TEST(DeriveCaseConstants, ResistingMomentSteelAreaAndLiveLoadFactors) {
  const DesignCase c = WorkedCase("72.5", "170", 1.0f);
  EXPECT_EQ(c.modularRatioQuad, 8);
  EXPECT_EQ(c.k, Q("0.32"));  // 10 / (10 + 170 / 8) = 10 / 31.25, rounded once
  EXPECT_EQ(c.j, 1 - Q("0.32") / 3);
  EXPECT_TRUE(Near(c.resistingMomentFactor, "1429.3333333", "1e-7"));
  EXPECT_TRUE(Near(c.steelAreaFactor, "0.0065847234", "1e-10"));
  EXPECT_TRUE(Near(c.liveLoadMomentFactor, "9.6765917", "5e-8"));
  EXPECT_TRUE(Near(WorkedCase("72.5", "170", 0.8f).liveLoadMomentFactor, "7.7412735", "5e-8"));
}

TEST(EnumerateDesignCases, LastEnteredListVariesFastest) {
  DesignInputs inputs = Inputs(0, {"72.5", "80"});
  inputs.steelStresses = Inputs(3, {"165", "170"}).steelStresses;
  const DesignRun run = RunDesign(inputs);
  EXPECT_EQ(run.rows.size(), 4u * 111);
  ASSERT_EQ(run.caseLines.size(), 4u * 3);  // one on each page
  const char* expected[] = {"72.50 165.000", "72.50 170.000", "80.00 165.000", "80.00 170.000"};
  for (size_t i = 0; i < run.caseLines.size(); ++i) {
    EXPECT_EQ(run.caseLines[i].substr(2, 5) + " " + run.caseLines[i].substr(18, 7),
              expected[i / 3]);
  }
}

TEST(EnumerateDesignCases, EmptyListGivesOnlyTheFooterAndCountsAreClamped) {
  for (int list = 0; list < 6; ++list) {  // the five entered lists and the span deduction widths
    DesignInputs inputs = Inputs(list, {});
    inputs.spanDeductionWidths.count = list == 5 ? -3 : 1;
    const DesignRun run = RunDesign(inputs);
    EXPECT_TRUE(run.rows.empty() && run.caseLines.empty()) << list;
    EXPECT_NE(run.bytes.find("Page 3 of 3"), std::string::npos) << list;
  }
  // A count beyond the five slots designs the five values there are.
  DesignInputs inputs = Inputs(4, {"10", "11", "12", "13", "14"});
  inputs.concreteStresses.count = 1000;
  EXPECT_EQ(RunDesign(inputs).rows.size(), 5u * 111);
}

constexpr const char* kLastSpan = "3.7500000409781932830810546875";

TEST(DesignMoment, LiveAndDeadLoadMomentsAtTheFirstTrialThickness) {
  // clang-format off
  const struct { const char* span; float continuity; const char *live, *dead, *total; } cases[] = {
      {"1", 1.0f, "15.5793128", "0.6212630", "16.2005758"},
      {kLastSpan, 1.0f, "42.1899403", "8.7365113", "50.9264517"},
      {"1", 0.8f, "12.4634504", "0.6212630", "13.0847134"},
      {kLastSpan, 0.8f, "33.7519528", "8.7365113", "42.4884641"}};
  // clang-format on
  for (const auto& c : cases) {
    const DesignMomentsOf<Quad> m = DesignMoment<Quad>(
        Q(c.span), 200, CaseNumbersOf<Quad>(WorkedCase("72.5", "165", c.continuity)));
    EXPECT_TRUE(Near(m.liveLoadMoment, c.live, "5e-8")) << c.span << " " << c.continuity;
    EXPECT_TRUE(Near(m.deadLoad, "6.2126301", "5e-8"));
    EXPECT_TRUE(Near(m.deadLoadMoment, c.dead, "5e-8")) << c.span;
    EXPECT_EQ(m.designMoment, m.liveLoadMoment + m.deadLoadMoment);
    EXPECT_TRUE(Near(m.designMoment, c.total, "1e-7")) << c.span;
  }
}

// The notice names, exactly, the first span where even #57 is too small;
// these wheel loads put that span at the 41st, 81st and 111th.
TEST(SweepSpans, SpansAreExactSumsOfTheWidenedStep) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      {"18250", "2.00000001490116119384765625"}, {"13125", "3.0000000298023223876953125"},
      {"10800", kLastSpan}};
  // clang-format on
  for (const auto& [load, firstShortSpan] : cases) {
    const DesignRun run = RunDesign(Inputs(0, {load}));
    EXPECT_EQ(run.rows.size(), 111u);
    ASSERT_EQ(run.notices.size(), 1u);
    EXPECT_TRUE(run.notices[0].firstSpan == Q(firstShortSpan)) << firstShortSpan;
  }
}
