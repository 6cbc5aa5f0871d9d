// The cracked elastic section and the check of a printed row as built.
#include <gtest/gtest.h>

#include <cmath>

#include "design/as_built_check.h"
#include "tests/design/design_run.h"

using namespace kalvorden;

namespace {

long double L(Quad value) {
  return static_cast<long double>(value);
}

// The row of the 3.200 m span with wheel load 72.5 kN, cover 40 mm, no
// paving, fs 165 MPa, fc 8 MPa (n = 9).
AsBuiltRow Row(bool continuous, int32_t thickness, int32_t spacing) {
  return AsBuiltRow{Q("72.5"),  Q("40"), 0,         Q("165"), Q("8"), 9,
                    continuous, 3200,    thickness, 16,       spacing};
}

}  // namespace

// Checked against the section's own laws in long double, not its formulas:
// the compression block balances the steel's moment of area about the
// neutral axis (b (kd)^2 / 2 = n As (d - kd)), the stresses are linear in
// the strain (fs = n fc (d - kd) / kd), and the couple carries M; at the
// moments it reports, a stress reaches its allowable exactly.
TEST(CrackedSection, MeetsEquilibriumAndCompatibility) {
  const struct {
    const char *area, *depth, *n, *moment;
  } cases[] = {{"1428.571428571428571", "202.06", "9", "44.4"},
               {"645", "120.5", "6", "12"},
               {"5160", "400", "15", "300"}};
  for (const auto& c : cases) {
    const Quad area = Q(c.area), depth = Q(c.depth), n = Q(c.n), moment = Q(c.moment);
    const CrackedSection s = AnalyseCrackedSection(area, depth, n, moment);
    const long double kd = L(s.k) * L(depth), d = L(depth);
    EXPECT_NEAR(1000 * kd * kd / 2, L(n) * L(area) * (d - kd), 1e-12L * d * d * 1000) << c.area;
    EXPECT_NEAR(L(s.j), 1 - L(s.k) / 3, 1e-15L);
    EXPECT_NEAR(L(s.steelStress), L(n) * L(s.concreteStress) * (d - kd) / kd, 1e-12L);
    EXPECT_NEAR(L(s.steelStress) * L(area) * L(s.j) * d, 1e6L * L(moment), 1e-6L);
    const SectionCapacityOf<Quad> capacity = SectionCapacity(s, area, Q("165"), Q("8"));
    const CrackedSection atSteel = AnalyseCrackedSection(area, depth, n, capacity.steelMoment);
    const CrackedSection atConcrete =
        AnalyseCrackedSection(area, depth, n, capacity.concreteMoment);
    EXPECT_NEAR(L(atSteel.steelStress), 165, 1e-25L);
    EXPECT_NEAR(L(atConcrete.concreteStress), 8, 1e-25L);
  }
}

// The 3.200 m row as designed without continuity (250 mm, #16 at 140) is
// checked as a simple span, M_DL = w S^2 / 8, and is over both allowables;
// as designed with continuity (230 mm, #16 at 150) it is within them. The
// cover of 40 mm is under a deck's 50 mm either way.
TEST(CheckAsBuilt, ThreePointTwoMetreRowsWithAndWithoutContinuity) {
  const struct {
    bool continuous;
    int32_t thickness, spacing, divisor;
    const char *fs, *fc, *least, *largest, *checks;
  } cases[] = {{false, 250, 140, 8, "170.86", "8.09", "248", "375", "fs fc cover"},
               {true, 230, 150, 10, "160.59", "7.76", "206.666666666666667", "345", "cover"}};
  for (const auto& c : cases) {
    const AsBuiltCheck check = CheckAsBuilt(Row(c.continuous, c.thickness, c.spacing));
    ASSERT_TRUE(check.known);
    EXPECT_EQ(check.deadLoadDivisor, c.divisor);
    EXPECT_TRUE(Near(check.section.steelStress, c.fs, "0.005")) << L(check.section.steelStress);
    EXPECT_TRUE(Near(check.section.concreteStress, c.fc, "0.005"));
    EXPECT_EQ(check.steelStressMargin, Q("165") - check.section.steelStress);
    EXPECT_TRUE(Near(check.leastThickness, c.least, "1e-15"));
    EXPECT_EQ(check.largestSpacing, Q(c.largest));
    EXPECT_EQ(check.coverMargin, Q("-10"));
    EXPECT_EQ(CheckNames(check.failed), c.checks);
  }
}

// Each limit at its boundary: the least thickness (S + 3000) / 30, not under
// 165 mm, 1.2 times that for a simple span; the spacing 1.5 t and 450 mm;
// the cover 50 mm. A light load keeps the stresses within their allowables.
TEST(CheckAsBuilt, EachLimitAtItsBoundary) {
  const struct {
    bool continuous;
    int32_t span, thickness, spacing;
    const char* cover;
    const char* checks;
  } cases[] = {
      {true, 3200, 210, 300, "50", "OK"},
      {true, 3200, 205, 300, "50", "thickness"},
      {true, 1000, 165, 245, "50", "OK"},
      {true, 1000, 160, 240, "50", "thickness"},
      {false, 1000, 200, 300, "50", "OK"},
      {false, 1000, 195, 290, "50", "thickness"},
      {false, 3200, 250, 375, "50", "OK"},
      {false, 3200, 245, 365, "50", "thickness"},
      {true, 3200, 210, 315, "50", "OK"},
      {true, 3200, 210, 320, "50", "spacing"},
      {true, 3750, 400, 450, "50", "OK"},
      {true, 3750, 400, 455, "50", "spacing"},
      {true, 3200, 210, 300, "49.999", "cover"},
      {true, 3200, 160, 245, "45", "thickness spacing cover"},
  };
  for (const auto& c : cases) {
    AsBuiltRow row = Row(c.continuous, c.thickness, c.spacing);
    row.wheelLoad = Q("1");
    row.allowableConcrete = Q("100");
    row.topCover = Q(c.cover);
    row.spanMillimetres = c.span;
    const AsBuiltCheck check = CheckAsBuilt(row);
    EXPECT_EQ(CheckNames(check.failed), c.checks)
        << c.span << " " << c.thickness << " " << c.spacing;
    EXPECT_EQ(check.thicknessMargin >= 0, (check.failed & kThicknessFails) == 0) << c.thickness;
    EXPECT_EQ(check.spacingMargin >= 0, (check.failed & kSpacingFails) == 0) << c.spacing;
  }
  EXPECT_FALSE(CheckAsBuilt(Row(true, 0, 150)).known);
  EXPECT_FALSE(CheckAsBuilt(AsBuiltRow{}).known);
  EXPECT_EQ(CheckNames(31).size(), kLongestCheckNames);  // the CSV's room for them
}

// The case's line groups each check's failing spans into runs; a span that
// could not be designed fails nothing.
TEST(FailingSpansLine, RunsOfSpansPerCheck) {
  DesignCase c{Q("1"), Q("50"), 0, Q("165"), Q("100")};
  c.modularRatio = 9;
  const auto row = [](int32_t thickness, int32_t spacing) {
    SpanDesign span;
    span.actualThickness = thickness;
    span.mainBarDesignation = 16;
    span.mainBarSpacing = spacing;
    return span;
  };
  SpanDesign undesigned = row(100, 500);
  undesigned.fault = SpanFault::kNoThickness;
  const std::vector<SpanDesign> spans = {row(190, 200), row(195, 200), row(200, 200),
                                         row(200, 305), undesigned,    row(190, 280)};
  EXPECT_EQ(FailingSpansLine(c, spans),
            "fails thickness at 1.000 to 1.025, 1.125 m; spacing at 1.075 m");
  EXPECT_EQ(FailingSpansLine(c, std::span(spans).subspan(2, 1)),
            "every designed row meets every check");
}
