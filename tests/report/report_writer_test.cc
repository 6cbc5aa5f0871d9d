#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "numeric/quad_ops.h"
#include "report/report_pages.h"
#include "report/report_row.h"
#include "tests/report/report_test_util.h"

namespace {

using kalvorden::DesignCase, kalvorden::SpanDesign;

const kalvorden::Quad kSpanStep = kalvorden::Widen(0.025f);
const std::string kExampleCaseLine = "  72.50   10.000  170.000   8    50      1.440       1.0   ";

const char* const kHeadings[16] = {
    "07-DEC-26   VALDORA DEPARTMENT OF TRANSPORTATION           ",
    " 14:03:09         FENWORTHY                                ",
    "           HOLMBRACKEN                                     ",
    "         SERVICE LOAD DESIGN OF BRIDGE SLAB (METRIC)       ",
    "                  REVISED:  JUNE 30, 2008                  ",
    "===========================================================",
    "  WHEEL                         SLAB    FUTURE   CONTINUITY",
    "  LOAD     fc       fs      n   COVER   PAVING     FACTOR  ",
    "  (kN)    (MPa)    (MPa)        (mm)   (kN/m^2)            ",
    nullptr,  // the case line
    "===========================================================",
    "                                            DISTRUBUTION   ",  // spelt so on the form
    "EFFECTIVE                     SIZE AND      REINFORCEMENT  ",
    "  SPAN     SLAB THICKNESS  SPACING OF MAIN  MIDDLE  OUTER  ",
    " LENGTH    MINIMUM ACTUAL   REINFORCEMENT    HALF  QUARTERS",
    "   (m)      (mm)    (mm)            (mm)                   ",
};

// Splits report bytes into printed lines by the carriage-control byte rules. A
// line keeps what moved the paper to it beyond one line feed: "\n" for double
// spacing (an empty line above it), "\f" for a new page. Others fail.
std::vector<std::string> PrintedLines(const std::string& bytes) {
  EXPECT_TRUE(bytes.ends_with("\r\n"));
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = bytes.find('\r', at)) != std::string::npos; at = end + 1) {
    std::string line = bytes.substr(at, end - at);
    const std::string advance = line.substr(0, line.find_first_not_of("\n\f"));
    line.erase(0, advance.size());
    if (advance == (at == 0 ? "\n" : "\n\n") || advance == "\f") {
      line.insert(0, advance.substr(advance.size() - 1));
    } else if (advance != (at == 0 ? "" : "\n")) {
      ADD_FAILURE() << "unexpected line advance before line " << lines.size();
    }
    lines.push_back(line);
  }
  return lines;
}

// The printed lines of a report whose design cases have the given case lines.
std::vector<std::string> ExpectedLines(std::initializer_list<std::string> caseLines) {
  std::vector<std::string> lines;
  for (const std::string& caseLine : caseLines) {
    for (int i = 0; i < 111; ++i) {
      if (i % 40 == 0) {
        if (i > 0) {
          lines.insert(lines.end(), 7, "");
          lines.push_back(std::string(39, ' ') + (i == 40 ? "Page 1 of 3" : "Page 2 of 3"));
        }
        lines.push_back((i == 0 ? "\n" : "\f") + std::string(12, ' ') + kHeadings[0]);
        for (int h = 1; h < 16; ++h) {
          if (h == 15) {
            lines.push_back("");
          }
          lines.push_back(std::string(11, ' ') + (h == 9 ? caseLine : kHeadings[h]));
        }
        lines.push_back(std::string(11, ' '));
      }
      char row[80];  // 11 blanks, then the row with the span in columns 2 to 7
      std::snprintf(row, sizeof row,
                    "%14d.%03d    163.18    165     #16 at  195     3-#13   2-#13 ", 1 + i / 40,
                    i % 40 * 25);
      lines.push_back(row);
    }
  }
  lines.insert(lines.end(), 12, "");
  lines.push_back(std::string(39, ' ') + "Page 3 of 3");
  return lines;
}

std::string WriteReport(const std::vector<kalvorden::DesignCase>& cases) {
  const TempReport report;
  kalvorden::ReportWriter writer;
  std::memcpy(writer.headerLine1.data(), "07-DEC-26", 9);
  std::memcpy(writer.headerLine2.data() + 1, "14:03:09", 8);
  writer.file = report.Open();
  for (const kalvorden::DesignCase& designCase : cases) {
    kalvorden::SpanDesign span = ExampleSpan();
    for (int i = 0; i < 111; ++i) {
      kalvorden::ReportSpan(writer, span, designCase);
      span.spanLength = span.spanLength + kSpanStep;  // as the sweep accumulates it
    }
  }
  kalvorden::WriteFinalFooter(writer);
  EXPECT_TRUE(kalvorden::CloseReport(writer.file));
  return report.Bytes();
}

// True when ReportSpan begins a page with the row of span length S.
bool BeginsPage(kalvorden::Quad spanLength) {
  const kalvorden::RecordSink ignore = [](char, std::string_view) {};
  kalvorden::ReportWriter writer;
  kalvorden::BeginReportRecords(writer.file, ignore);
  SpanDesign span = ExampleSpan();
  span.spanLength = spanLength;
  return kalvorden::ReportSpan(writer, span, ExampleCase());
}

TEST(ReportPages, PageTopsOfTheSweep) {
  kalvorden::Quad span = 1;
  for (int i = 0; i < 111; ++i, span = span + kSpanStep) {
    EXPECT_EQ(BeginsPage(span), i == 0 || i == 40 || i == 80) << "span " << i;
  }
}

// The page tops are decided on the bits of the span length; the bounds are
// open, and no negative value, NaN or infinity is a page top.
TEST(ReportPages, PageTopBounds) {
  using kalvorden::Quad;
  using kalvorden::Widen;
  const auto up = [](Quad x) {
    return kalvorden::quad_detail::FromBits(kalvorden::quad_detail::Bits(x) + 1);
  };
  const auto down = [](Quad x) {
    return kalvorden::quad_detail::FromBits(kalvorden::quad_detail::Bits(x) - 1);
  };
  const Quad nan = __builtin_nanq("");
  const Quad infinity = __builtin_infq();
  // clang-format off
  const std::pair<Quad, bool> cases[] = {
      {1, true}, {up(1), false}, {down(1), false}, {0, false}, {-Quad{0}, false}, {-1, false},
      {Widen(1.98f), false}, {up(Widen(1.98f)), true}, {2, true},
      {down(Widen(2.01f)), true}, {Widen(2.01f), false}, {-2, false},
      {Widen(2.98f), false}, {up(Widen(2.98f)), true}, {3, true},
      {down(Widen(3.01f)), true}, {Widen(3.01f), false}, {-3, false},
      {nan, false}, {-nan, false}, {infinity, false}, {-infinity, false}};
  // clang-format on
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(BeginsPage(cases[i].first), cases[i].second) << "case " << i;
  }
}

TEST(ReportPages, CasesOnThreePages) {
  kalvorden::DesignCase second = ExampleCase();
  second.wheelLoad = 80;
  second.continuityFactor = kalvorden::Widen(0.8f);
  const std::string secondLine = "  80.00   10.000  170.000   8    50      1.440       0.8   ";
  EXPECT_EQ(PrintedLines(WriteReport({ExampleCase()})), ExpectedLines({kExampleCaseLine}));
  // Between two cases: one empty line, no form feed and no footer.
  EXPECT_EQ(PrintedLines(WriteReport({ExampleCase(), second})),
            ExpectedLines({kExampleCaseLine, secondLine}));

  // No case at all: an empty record, 11 more, and the final footer.
  EXPECT_EQ(WriteReport({}), "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n" +
                                 std::string(39, ' ') + "Page 3 of 3\r\n");
}

// Each table gives a change to the worked example and what the line then
// holds from the given column on; the rest of the line is the example's.
TEST(ReportRow, CaseLine) {
  const std::tuple<void (*)(DesignCase&), int, std::string> cases[] = {
      {[](DesignCase&) {}, 1, ""},
      {[](DesignCase& c) { c.topCover = Parse("62.9"); }, 34, "62"},  // truncated
      {[](DesignCase& c) { c.continuityFactor = kalvorden::Widen(0.8f); }, 54, "0.8"},
      {[](DesignCase& c) { c.wheelLoad = 100; }, 3, "*****"},
      {[](DesignCase& c) { c.topCover = 100; }, 34, "**"},
  };
  kalvorden::ReportWriter writer;
  for (const auto& [change, column, text] : cases) {
    DesignCase designCase = ExampleCase();
    change(designCase);
    kalvorden::FillCaseLine(writer, designCase);
    EXPECT_EQ(kalvorden::View(writer.caseLine),
              std::string(kExampleCaseLine).replace(column - 1, text.size(), text));
  }
}

TEST(ReportRow, Row) {
  const std::string example = "  1.000    163.18    165     #16 at  195     3-#13   2-#13 ";
  const std::tuple<void (*)(SpanDesign&), int, std::string> cases[] = {
      {[](SpanDesign&) {}, 1, ""},
      {[](SpanDesign& s) { s.fault = kalvorden::SpanFault::kNoBarLargeEnough; },  // length only
       12, "******   ****     #** at ****    **-#**  **-#** "},
      {[](SpanDesign& s) { s.middleHalfBarCount = 12; }, 45, "12"},  // all slices refilled
      {[](SpanDesign& s) { s.outerQuartersBarCount = 100; }, 53, "**"},
      {[](SpanDesign& s) { s.mainBarSpacing = 10000; }, 37, "****"},
      {[](SpanDesign& s) { s.distBarDesignation = 19; }, 49, "19   2-#19"},
      {[](SpanDesign& s) { s.minThickness = 1000; }, 12, "******"},
  };
  kalvorden::ReportWriter writer;
  kalvorden::BeginReportFile(writer.file, open("/dev/null", O_WRONLY), "/dev/null", false);
  for (const auto& [change, column, text] : cases) {
    SpanDesign span = ExampleSpan();
    change(span);
    kalvorden::WriteRow(writer, span);
    EXPECT_EQ(kalvorden::View(writer.row),
              std::string(example).replace(column - 1, text.size(), text));
  }
  EXPECT_TRUE(kalvorden::CloseReport(writer.file));
}

TEST(StampHeaderLines, DateAndTimeFields) {
  std::vector<std::pair<kalvorden::LocalDateTime, std::string>> cases = {
      {{2026, 12, 7, 14, 3, 9}, "07-DEC-26 14:03:09"},
      {{2000, 1, 1, 0, 0, 0}, "01-JAN-00 00:00:00"},
      {{1999, 9, 30, 23, 59, 59}, "30-SEP-99 23:59:59"},
      {{2100, 2, 28, 9, 5, 1}, "28-FEB-00 09:05:01"}};
  const std::string months = "JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
  for (int month = 1; month <= 12; ++month) {
    cases.push_back({{2026, month, 15, 12, 30, 45},
                     "15-" + months.substr(3 * (month - 1), 3) + "-26 12:30:45"});
  }
  const kalvorden::ReportWriter blank;
  for (const auto& [now, stamp] : cases) {
    kalvorden::ReportWriter writer;
    kalvorden::StampHeaderLines(writer, now);
    const std::string_view line1 = kalvorden::View(writer.headerLine1),
                           line2 = kalvorden::View(writer.headerLine2);
    EXPECT_EQ(line1.substr(0, 9), stamp.substr(0, 9));
    EXPECT_EQ(line2.substr(0, 9), stamp.substr(9));  // column 1 stays blank
    EXPECT_EQ(line1.substr(9), kalvorden::View(blank.headerLine1).substr(9));
    EXPECT_EQ(line2.substr(9), kalvorden::View(blank.headerLine2).substr(9));
  }
}

}  // namespace
