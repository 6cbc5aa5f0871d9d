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
        EXPECT_TRUE(before.rankingSteel < c.rankingSteel ||
                    (before.rankingSteel == c.rankingSteel && before.number < c.number));
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

TEST(SteelText, HundredthsAsPrinted) {
  const std::pair<int64_t, const char*> table[] = {
      {1957, "19.57"}, {5, "0.05"}, {100, "1.00"}, {0, "0.00"}, {kNoSteel, ""}};
  for (const auto& [hundredths, text] : table) {
    EXPECT_EQ(kalvorden::SteelText(hundredths), text);
  }
}
