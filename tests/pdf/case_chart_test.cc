#include "chart/case_chart.h"

#include <cstdio>

#include "tests/pdf/pdf_test_util.h"

namespace {

using kalvorden::ChartSpan;

TEST(FullDecimal, PrintedShortestNumeralThatReadsBackExactly) {
  const struct {
    const char* entered;
    const char* full;
  } table[] = {
      {"72.5", "72.5"},
      {"120", "120"},
      {"1.44", "1.44"},
      {"0.1", "0.1"},
      {"1e-40", "1e-40"},
      {"123456789.123", "123456789.123"},
      {"-0.25", "-0.25"},
      {"inf", "inf"},
      // A value that only 36 significant digits identify.
      {"1000.98576740873362620160078675239075", "1000.98576740873362620160078675239075"},
  };
  for (const auto& row : table) {
    EXPECT_EQ(kalvorden::FullDecimal(Q(row.entered), kalvorden::FullDecimalUse::kPrinted), row.full)
        << row.entered;
  }
}

// The plotted figures are the report's printed ones: every row of the report
// shows the span, minimum and actual thickness and spacing the chart plots,
// and a row of asterisks is a gap.
TEST(ChartSpans, PlotTheFiguresTheReportPrints) {
  const struct {
    const char* name;
    kalvorden::DesignInputs inputs;
  } table[] = {
      {"two loads and two steel stresses", Inputs(0, {"72.5", "90"})},
      {"a heavy wheel load", Inputs(0, {"150"})},
      {"fc 10 and fc 0", Inputs(4, {"10", "0"})},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    const DesignRun run = RunDesign(test.inputs);
    size_t row = 0;
    for (const auto& designed : DesignAll(test.inputs)) {
      for (const ChartSpan& s : kalvorden::ChartSpans(*designed)) {
        ASSERT_LT(row, run.rows.size());
        const std::string& printed = run.rows[row++];
        char span[16];
        std::snprintf(span, sizeof span, "%6.3f", s.span);
        EXPECT_EQ(printed.substr(1, 6), span);
        if (!s.designed) {
          EXPECT_EQ(printed.substr(11, 6), "******");
          continue;
        }
        char figures[64];
        std::snprintf(figures, sizeof figures, "%6.2f   %4.0f     #%2d at %4.0f", s.minThickness,
                      s.actualThickness, s.mainBarDesignation, s.mainBarSpacing);
        EXPECT_EQ(printed.substr(11, 29), figures) << printed;
      }
    }
    EXPECT_EQ(row, run.rows.size());
  }
}

TEST(WriteCaseChartSvg, AnSvgDocumentForDesignedAndUndesignableCases) {
  for (const auto& designed : DesignAll(Inputs(4, {"10", "0"}))) {
    std::string svg;
    ASSERT_TRUE(kalvorden::WriteCaseChartSvg(*designed, svg));
    EXPECT_TRUE(svg.starts_with("<?xml")) << svg.substr(0, 40);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_TRUE(svg.ends_with("</svg>\n")) << svg.substr(svg.size() - 20);
  }
}

}  // namespace
