// The trace of a sweep tells the steps that made each span's results.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "design/span_sweep.h"
#include "design/span_trace.h"
#include "tests/design/design_run.h"

using namespace kalvorden;

namespace {

struct Recorder : SpanTrace {
  std::vector<SpanAttempt> attempts;
  std::vector<ThicknessPass> passes;  // of the last attempt
  std::vector<MainSteelSteps> steels;
  std::vector<BarAdvance> advances;
  std::vector<DistributionSteps> distributions;
  void Attempt(const SpanAttempt& a) override {
    attempts.push_back(a);
    passes.clear();
  }
  void Pass(const ThicknessPass& p) override { passes.push_back(p); }
  void MainSteel(const MainSteelSteps& s) override { steels.push_back(s); }
  void Advance(const BarAdvance& a) override { advances.push_back(a); }
  void Distribution(const DistributionSteps& d) override { distributions.push_back(d); }
};

bool Same(Quad a, Quad b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

// A traced sweep designs exactly what an untraced one does, and the trace's
// last steps are the span's own values. The worked example advances its bars
// once, at 2.900 m; with fs 100 MPa at 1.000, 1.400 and 2.825 m.
TEST(SpanTrace, TellsTheStepsOfTheSameDesign) {
  // clang-format off
  const struct { const char *load, *fs; float cf; std::vector<std::array<int32_t, 2>> advances; }
      cases[] = {{"72.5", "165", 1.0f, {{76, 19}}}, {"72.5", "165", 0.8f, {{94, 19}}},
                 {"72.5", "100", 1.0f, {{0, 19}, {16, 22}, {73, 25}}}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.load) + " " + c.fs);
    const DesignCase designCase = WorkedCase(c.load, c.fs, c.cf);
    std::array<SpanDesign, kSpansPerCase> plain{}, traced{};
    SweepState state;
    SweepSpans(designCase, state, plain);
    Recorder trace;
    for (int32_t last = 0; last < kSpansPerCase; ++last) {
      trace = Recorder{};
      SweepSpans(designCase, state, std::span(traced).first(static_cast<size_t>(last) + 1), &trace);
      const SpanDesign& span = traced[static_cast<size_t>(last)];
      const SpanDesign& expected = plain[static_cast<size_t>(last)];
      ASSERT_EQ(span.fault, SpanFault::kNone) << last;
      EXPECT_TRUE(Same(span.minThickness, expected.minThickness)) << last;
      EXPECT_EQ(span.mainBarSpacing * 100 + span.mainBarDesignation,
                expected.mainBarSpacing * 100 + expected.mainBarDesignation)
          << last;
      ASSERT_FALSE(trace.passes.empty());
      const ThicknessPass& final = trace.passes.back();
      EXPECT_TRUE(final.converged && Same(final.requiredThickness, span.minThickness)) << last;
      EXPECT_TRUE(Same(final.designMoment, span.designMoment)) << last;
      EXPECT_TRUE(Same(trace.passes.front().trialThickness, 200)) << last;
      const MainSteelSteps& steel = trace.steels.back();
      EXPECT_EQ(steel.actualThickness, span.actualThickness) << last;
      EXPECT_EQ(steel.mainBarSpacing, span.mainBarSpacing) << last;
      EXPECT_TRUE(Same(steel.requiredSteelArea, span.requiredSteelArea)) << last;
      EXPECT_EQ(trace.distributions.size(), static_cast<size_t>(last) + 1);
      EXPECT_EQ(trace.distributions.back().middleHalf, span.middleHalfBarCount) << last;
      EXPECT_EQ(trace.distributions.back().outerQuarters, span.outerQuartersBarCount) << last;
      EXPECT_EQ(trace.attempts.size(), static_cast<size_t>(last) + 1 + trace.advances.size());
    }
    // The full sweep's advances: span index, new main bar, and each under 125 mm.
    ASSERT_EQ(trace.advances.size(), c.advances.size());
    for (size_t i = 0; i < c.advances.size(); ++i) {
      const BarAdvance& advance = trace.advances[i];
      EXPECT_TRUE(
          Same(advance.spanLength, plain[static_cast<size_t>(c.advances[i][0])].spanLength));
      EXPECT_EQ(advance.toMainBar, c.advances[i][1]);
      EXPECT_EQ(advance.toDistributionBar, advance.fromMainBar);
      EXPECT_LT(advance.mainBarSpacing, 125);
    }
  }
}

// With no larger bar the advance is told with 0 as the new bars.
TEST(SpanTrace, TellsAnAdvanceBeyondTheLargestBar) {
  Recorder trace;
  std::array<SpanDesign, 1> spans{};
  SweepState state;
  SweepSpans(WorkedCase("1e6", "165", 1.0f), state, spans, &trace);
  EXPECT_EQ(spans[0].fault, SpanFault::kNoBarLargeEnough);
  ASSERT_EQ(trace.advances.size(), 9u);
  EXPECT_EQ(trace.advances.back().fromMainBar * 100 + trace.advances.back().toMainBar, 5700);
  EXPECT_TRUE(trace.distributions.empty());
}
