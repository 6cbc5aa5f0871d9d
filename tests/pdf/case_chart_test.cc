#include "chart/case_chart.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "chart/chart_panel.h"

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

// Every line and glyph of the chart, its title and its labels, lies inside
// the rectangle it is given: on the PDF's pages (A4 and Letter), on the web
// page, and in a narrow one that makes the title wrap.
TEST(DrawCaseChart, EveryMarkInsideItsRectangle) {
  const struct {
    const char* name;
    kalvorden::DesignInputs inputs;
  } table[] = {
      {"a bar change at the end of the sweep", Inputs(3, {"185"})},
      {"a wheel load of 36 digits", Inputs(0, {"1000.98576740873362620160078675239075"})},
      {"fc 0: no span designed", Inputs(4, {"0"})},
  };
  const struct {
    double width, height;
  } sizes[] = {{523.3, 729.9}, {540, 680}, {720, 540}, {300, 400}};
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    const auto designed = DesignAll(test.inputs);
    ASSERT_EQ(designed.size(), 1U);
    for (const auto& size : sizes) {
      cairo_surface_t* surface = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
      cairo_t* cr = cairo_create(surface);
      kalvorden::DrawCaseChart(cr, *designed.front(), size.width, size.height);
      cairo_destroy(cr);
      double x = 0, y = 0, width = 0, height = 0;
      cairo_recording_surface_ink_extents(surface, &x, &y, &width, &height);
      cairo_surface_destroy(surface);
      EXPECT_GE(x, 0) << size.width << " x " << size.height;
      EXPECT_GE(y, 0) << size.width << " x " << size.height;
      EXPECT_LE(x + width, size.width) << size.width << " x " << size.height;
      EXPECT_LE(y + height, size.height) << size.width << " x " << size.height;
    }
  }
}

// The charts' fixed parts drawn once and painted give the pixels of each
// chart drawn whole, whichever case first made the recording: the
// value grid and the gaps stay under the frame, nothing is left out.
TEST(DrawCaseChart, FixedPartsPaintedAsDrawnWhole) {
  const struct {
    const char* name;
    int32_t governingRow;
    kalvorden::DesignInputs inputs;
  } table[] = {
      {"two loads, a governing row", 60, Inputs(0, {"72.5", "150"})},
      {"fc 10 and fc 0: gaps and no span designed", -1, Inputs(4, {"10", "0"})},
  };
  constexpr int kWidth = 540;
  constexpr int kHeight = 680;
  const auto draw = [](const kalvorden::DesignedCase& designed, int32_t row,
                       kalvorden::CaseChartFurniture* furniture) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    kalvorden::DrawCaseChart(cr, designed, kWidth, kHeight, row, furniture);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const auto* data = cairo_image_surface_get_data(surface);
    std::string pixels(reinterpret_cast<const char*>(data),
                       static_cast<size_t>(cairo_image_surface_get_stride(surface)) * kHeight);
    cairo_surface_destroy(surface);
    return pixels;
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    kalvorden::CaseChartFurniture furniture;
    for (const auto& designed : DesignAll(test.inputs)) {
      const std::string shared = draw(*designed, test.governingRow, &furniture);
      const std::string whole = draw(*designed, test.governingRow, nullptr);
      ASSERT_EQ(shared.size(), whole.size());
      int largest = 0;
      for (size_t i = 0; i < shared.size(); ++i) {
        largest = std::max(largest, std::abs(static_cast<unsigned char>(shared[i]) -
                                             static_cast<unsigned char>(whole[i])));
      }
      // One step of 255 where antialiased edges are composited in another
      // order; a part left out or drawn over another differs by tens.
      EXPECT_LE(largest, 1);
    }
  }
}

// Pieces gathered in a run stand where ShowText sets each alone: the same
// pixels for left, centred and right-aligned pieces, an empty one, text
// beyond ASCII, and a piece in another size, which is shown on its own.
TEST(TextRun, EachPieceWhereShowTextSetsIt) {
  const struct {
    double x, y;
    const char* text;
    double alignX;
    double size;
  } pieces[] = {
      {20.3, 30.7, "1.25", 0.5, 8.5},        {200.1, 30.7, "span S (m)", 0.5, 8.5},
      {300.55, 60.2, "140", 1, 8.5},         {10, 90, "", 0, 8.5},
      {12.125, 90.4, "fs 140 MPa…", 0, 8.5}, {150, 120, "another size", 0, 11},
      {40.9, 150.3, "#16 -> #19", 0, 8.5},
  };
  enum class Way { kNothing, kAlone, kInARun };
  const auto draw = [&](Way way) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 400, 170);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    kalvorden::TextRun texts;
    for (const auto& piece : pieces) {
      cairo_set_font_size(cr, piece.size);
      if (way == Way::kNothing) {
        continue;
      }
      if (way == Way::kInARun) {
        texts.Add(cr, piece.x, piece.y, piece.text, piece.alignX);
      } else {
        kalvorden::ShowText(cr, piece.x, piece.y, piece.text, piece.alignX);
      }
    }
    cairo_set_font_size(cr, 8.5);
    texts.Show(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    std::string pixels(reinterpret_cast<const char*>(cairo_image_surface_get_data(surface)),
                       static_cast<size_t>(cairo_image_surface_get_stride(surface)) * 170);
    cairo_surface_destroy(surface);
    return pixels;
  };
  const std::string alone = draw(Way::kAlone);
  EXPECT_TRUE(alone == draw(Way::kInARun));
  EXPECT_FALSE(alone == draw(Way::kNothing));
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
