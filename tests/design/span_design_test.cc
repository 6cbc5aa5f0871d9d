// One span: thickness, main bars and distribution bars.
#include <gtest/gtest.h>

#include <map>

#include "design/distribution.h"
#include "design/thickness_search.h"
#include "tests/design/design_run.h"

using namespace kalvorden;

// Two identical cases: the second starts again with #16 / #13 although the
// first advanced its bars. A row that is given only in part is a prefix.
TEST(DesignThicknessAndMainBars, WorkedExampleRowsAndBarAdvance) {
  // clang-format off
  const struct { float cf; size_t firstAdvanced; std::map<size_t, std::string> rows; } cases[] = {
      {1.0f, 76, {{0, "  1.000    163.18    165     #16 at  195     3-#13   2-#13 "},
                  {75, "  2.875    222.27    225     #16 at  125"},
                  {76, "  2.900    224.67    225     #19 at  170     8-#16   4-#16 "},
                  {110, "  3.750    249.61    250     #19 at  150    11-#16   6-#16 "}}},
      {0.8f, 94, {{0, "  1.000    152.37    155     #16 at  220"},
                  {110, "  3.750    232.57    235     #19 at  165"}}}};
  // clang-format on
  for (const auto& c : cases) {
    DesignInputs inputs = Inputs(3, {"165", "165"});
    inputs.continuityFactor = Widen(c.cf);
    const DesignRun run = RunDesign(inputs);
    ASSERT_EQ(run.rows.size(), 222u);
    for (size_t i = 0; i < run.rows.size(); ++i) {
      EXPECT_EQ(run.rows[i].substr(29, 3), i % 111 < c.firstAdvanced ? "#16" : "#19") << i;
      if (c.rows.count(i % 111) != 0) {
        EXPECT_EQ(run.rows[i].substr(0, c.rows.at(i % 111).size()), c.rows.at(i % 111));
      }
    }
  }
}

// The raw spacing is the bar area factor itself: As = (10^6 x 10^-6 x 1) / d
// with d = 1 mm (no bar diameter, cover one millimetre under the actual).
TEST(DesignMainSteel, ThicknessRoundsUpAndSpacingDownToFiveMillimetres) {
  // clang-format off
  const struct { const char *minimum, *raw; int32_t actual, spacing; } cases[] = {
      {"180.0", "129.99", 180, 125}, {"180.004", "124.99", 180, 120}, {"180.01", "130.5", 185, 130},
      {"179.99", "5.5", 180, 5}, {"180.0049", "999.9", 180, 995}, {"180.005", "125.01", 185, 125}};
  // clang-format on
  for (const auto& c : cases) {
    const DesignCase designCase{.topCover = static_cast<Quad>(c.actual - 1), .steelAreaFactor = 1};
    const MainSteelOf<Quad> steel =
        DesignMainSteel<Quad>(CaseNumbersOf<Quad>(designCase), Q(c.minimum), Q("1e-6"),
                              BarValues{.mainBarAreaFactor = Q(c.raw)});
    EXPECT_EQ(steel.actualThickness, c.actual) << c.minimum;
    EXPECT_EQ(steel.mainBarSpacing, c.spacing) << c.raw;
  }
}

// Every row is written, with asterisks; the notice gives the fault. The list
// changed is 0 wheel load, 1 cover, 2 paving, 3 fs or 4 fc.
TEST(DesignThicknessAndMainBars, UndesignableInputsEndInAFault) {
  const SpanFault invalid = SpanFault::kInvalidInputs, bar = SpanFault::kNoBarLargeEnough;
  // clang-format off
  const struct { int list; const char* value; SpanFault fault; } cases[] = {
      {4, "0", invalid}, {4, "-10", invalid}, {4, "nan", invalid}, {4, "inf", invalid},
      {3, "0", invalid}, {3, "-165", invalid}, {3, "inf", invalid}, {0, "nan", invalid},
      {0, "-1", invalid}, {1, "-50", invalid}, {2, "-1.5", invalid}, {2, "-inf", invalid},
      {4, "1e-9", SpanFault::kOutOfRange}, {4, "1e-4000", SpanFault::kNoThickness},
      {3, "24e35", SpanFault::kNoThickness},  // a 1e35 mm "slab": the pass limit
      {0, "1e6", bar}, {1, "1e12", SpanFault::kOutOfRange}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.list) + " " + c.value);
    const DesignRun run = RunDesign(Inputs(c.list, {c.value}));
    ASSERT_EQ(run.rows.size(), 111u);
    EXPECT_EQ(run.rows.front().substr(10, 7) + run.rows.back().substr(29, 3), " ******#**");
    ASSERT_EQ(run.notices.size(), 1u);
    EXPECT_EQ(run.notices[0].fault, c.fault);
  }
}

// The iteration gives up at once when a pass yields a thickness that is not
// finite: with R zero or negative no later pass can bring it back.
TEST(FindMinimumThickness, StopsWhenThePassIsNotFinite) {
  DesignCase c = WorkedCase("72.5", "165", 1.0f);
  EXPECT_TRUE(FindMinimumThickness<Quad>(CaseNumbersOf<Quad>(c), 1, 200, 7.94).converged);
  for (const char* factor : {"0", "-1429", "nan"}) {
    c.resistingMomentFactor = Q(factor);
    EXPECT_FALSE(FindMinimumThickness<Quad>(CaseNumbersOf<Quad>(c), 1, 200, 7.94).converged)
        << factor;
  }
}

TEST(DesignThicknessAndMainBars, AdvancesNoFurtherThanTheLastBar) {
  BarIndices bars;
  BarValues values = LoadBarValuesOf<Quad>(bars);
  SpanDesign span;
  SpanWorkingOf<Quad> working;
  const CaseNumbers<Quad> c = CaseNumbersOf<Quad>(WorkedCase("1e6", "165", 1.0f));
  while (DesignThicknessAndMainBars<Quad>(c, 1, 1, 1, 200, bars, values, span, working) ==
         SearchOutcome::kBarAdvance) {
    ASSERT_LE(bars.main, 12);
  }
  EXPECT_EQ(bars.main * 100 + bars.distribution, 1211);
  EXPECT_EQ(span.fault, SpanFault::kNoBarLargeEnough);
}

// With As = 1 mm^2 per m, N = (r x S') / (2 x distribution bar area); the
// sweep counts the bars of every settled span through this function.
TEST(CountDistributionBars, BarCountsAndTheCappedFraction) {
  const auto distribute = [](Quad designSpan, Quad distBarArea) {
    return CountDistributionBars(designSpan, Quad{1}, distBarArea);
  };
  // N rounds up unless less than 0.0001 above a whole number; the outer count is even.
  // clang-format off
  const struct { const char* quantity; int32_t middle, outer; } counts[] = {
      {"2.658204", 3, 2}, {"4.033864", 5, 4}, {"7.921313", 8, 4}, {"10.995260", 11, 6},
      {"8", 8, 4}, {"8.00005", 8, 4}, {"8.0002", 9, 4}, {"8.0004", 9, 6}};
  // r = min(1.21 / sqrt(S'), 0.67); the area used below makes the middle count r x 10^7 rounded up.
  const std::pair<const char*, int32_t> fractions[] = {{"1", 6700001}, {"3.25", 6700001},
      {"3.275", 6686206}, {"3.7500000409781932830810546875", 6248414}};
  // clang-format on
  for (const auto& c : counts) {
    // At S' = 1 m, r is 0.67 widened, so this area gives N = quantity.
    const DistributionCounts counts = distribute(1, Widen(0.67f) / (2 * Q(c.quantity)));
    EXPECT_TRUE(counts.inRange) << c.quantity;
    EXPECT_EQ(counts.middleHalf, c.middle) << c.quantity;
    EXPECT_EQ(counts.outerQuarters, c.outer) << c.quantity;
  }
  for (const auto& [span, middle] : fractions) {
    EXPECT_EQ(distribute(Q(span), Q(span) / Q("2e7")).middleHalf, middle) << span;
  }
}
