// The comparison of cases: the ranking at the governing row or at 3.750 m,
// the curves it keeps for the chart, and its printed figures.
#include "comparison/case_comparison.h"

#include <gtest/gtest.h>

#include "tests/design/design_run.h"

using kalvorden::CaseComparison, kalvorden::kNoSteel;

namespace {

// Five wheel loads by three steel stresses by two concrete stresses (30
// cases), or the first two loads alone.
kalvorden::DesignInputs Cases(bool many) {
  kalvorden::DesignInputs inputs =
      Inputs(0, many ? std::vector<const char*>{"60", "72.5", "90", "105", "120"}
                     : std::vector<const char*>{"72.5", "90"});
  if (many) {
    inputs.steelStresses.count = 3;
    inputs.steelStresses.values = {Q("140"), Q("165"), Q("200")};
    inputs.concreteStresses.count = 2;
    inputs.concreteStresses.values = {Q("10"), Q("1e-6")};  // fc 1e-6: nothing designed
  }
  return inputs;
}

}  // namespace

TEST(CaseComparison, RanksAtTheGoverningSpanAndKeepsTheChartsCurves) {
  const struct {
    bool many;
    int32_t governingRow;
    int32_t rankingRow;
    size_t curves;
  } table[] = {{false, -1, 110, 2}, {false, 76, 76, 2}, {true, 40, 40, 0}, {true, 500, 110, 0}};
  for (const auto& test : table) {
    SCOPED_TRACE(std::to_string(test.governingRow));
    CaseComparison comparison(test.governingRow);
    const auto cases = DesignAll(Cases(test.many));
    for (const auto& designed : cases) {
      comparison.Add(*designed);
    }
    EXPECT_EQ(comparison.rankingRow(), test.rankingRow);
    EXPECT_EQ(comparison.governed(), test.governingRow == test.rankingRow);
    EXPECT_EQ(comparison.curves().size(), test.curves);
    const std::vector<kalvorden::ComparedCase> ranked = comparison.Ranked();
    ASSERT_EQ(ranked.size(), cases.size());
    const kalvorden::ComparedCase* lastWithFigure = nullptr;
    for (size_t i = 0; i < ranked.size(); ++i) {
      const kalvorden::ComparedCase& c = ranked[i];
      EXPECT_EQ(c.rankingSteel, kalvorden::PrintedSteelOf(
                                    cases[c.number - 1]->spans[test.rankingRow], test.rankingRow));
      if (i > 0 && c.rankingSteel != kNoSteel) {
        const kalvorden::ComparedCase& before = ranked[i - 1];
        EXPECT_TRUE(
            before.rankingSteel < c.rankingSteel ||
            (before.rankingSteel == c.rankingSteel &&
             (before.rankingThickness < c.rankingThickness ||
              (before.rankingThickness == c.rankingThickness && before.number < c.number))));
      }
      lastWithFigure = c.rankingSteel != kNoSteel ? &c : lastWithFigure;
    }
    if (test.many) {  // the undesignable cases last, in case order
      EXPECT_EQ(ranked.back().rankingSteel, kNoSteel);
      EXPECT_EQ(ranked.back().number, 30);
    }
    ASSERT_NE(comparison.lightest(), nullptr);
    EXPECT_EQ(comparison.lightest()->caseNumber, ranked.front().number);
    EXPECT_EQ(comparison.heaviest()->caseNumber, lastWithFigure->number);
  }
}

// Equal steel ranks the thinner slab first, then case order; a run whose
// cases are all alike says so rather than naming one the heaviest.
TEST(CaseComparison, EqualSteelRanksTheThinnerSlabFirst) {
  const auto cases = DesignAll(Cases(false));
  kalvorden::DesignedCase thick = *cases.front();
  for (kalvorden::SpanDesign& span : thick.spans) {
    span.actualThickness += 5;  // the same bars, so the same steel
  }
  const struct {
    const char* name;
    std::vector<const kalvorden::DesignedCase*> run;
    std::vector<int64_t> ranking;
    int64_t lightestAtLastSpan;
    bool allEqual;
  } table[] = {
      {"thicker first in case order", {&thick, cases.front().get()}, {2, 1}, 2, false},
      {"thinner first in case order", {cases.front().get(), &thick}, {1, 2}, 1, false},
      {"alike", {cases.front().get(), cases.front().get()}, {1, 2}, 1, true},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    CaseComparison comparison;
    for (const kalvorden::DesignedCase* designed : test.run) {
      comparison.Add(*designed);
    }
    std::vector<int64_t> ranking;
    for (const kalvorden::ComparedCase& c : comparison.Ranked()) {
      ranking.push_back(c.number);
    }
    EXPECT_EQ(ranking, test.ranking);
    EXPECT_EQ(comparison.spans().back().lightestCase, test.lightestAtLastSpan);
    EXPECT_EQ(comparison.spans().back().heaviestCase,
              test.allEqual ? 1 : 3 - test.lightestAtLastSpan);
    EXPECT_EQ(comparison.allEqual(), test.allEqual);
  }
}

TEST(SteelText, HundredthsAsPrinted) {
  const std::pair<int64_t, const char*> table[] = {
      {1957, "19.57"}, {5, "0.05"}, {100, "1.00"}, {0, "0.00"}, {kNoSteel, ""}};
  for (const auto& [hundredths, text] : table) {
    EXPECT_EQ(kalvorden::SteelText(hundredths), text);
  }
}
