// The governing row of a bridge's span: the first printed span at or above
// it, decided on the exact decimal.
#include "report/printed_span.h"

#include <gtest/gtest.h>

using kalvorden::GoverningRow;
using kalvorden::GoverningSpan;

TEST(GoverningRow, FirstPrintedSpanAtOrAbove) {
  // clang-format off
  const struct { const char* text; int32_t row; bool onRow; const char* exact; } cases[] = {
      {"2.91", 77, false, "2.91"}, {"2.900", 76, true, "2.9"}, {"2.9", 76, true, "2.9"},
      {"29e-1", 76, true, "2.9"}, {"0.0029e3", 76, true, "2.9"}, {"+2.925", 77, true, "2.925"},
      // above 2.900 however little: exact decimals, not binary128 (the
      // second rounds to the same binary128 value as 2.9)
      {"2.9000000000000000001", 77, false, "2.9000000000000000001"},
      {"2.900000000000000000000000000000000000001", 77, false,
       "2.900000000000000000000000000000000000001"},
      {"2.8999999999999999999", 76, false, "2.8999999999999999999"},
      {"1", 0, true, "1"}, {"1.0001", 1, false, "1.0001"}, {"3.75", 110, true, "3.75"},
      {"3.7250001", 110, false, "3.7250001"},
      {"3.7500001", -1, false, ""}, {"0.9999999", -1, false, ""}, {"-2.9", -1, false, ""},
      {"0", -1, false, ""}, {"10", -1, false, ""}, {"1e999999999999999999", -1, false, ""},
      {"2,9", -1, false, ""}, {"inf", -1, false, ""}, {"", -1, false, ""}, {" ", -1, false, ""},
      {" 2.9\t", 76, true, "2.9"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const GoverningSpan span = GoverningRow(c.text);
    EXPECT_EQ(span.row, c.row) << c.text;
    EXPECT_EQ(span.onRow, c.onRow) << c.text;
    EXPECT_EQ(span.exact, c.exact) << c.text;
  }
  EXPECT_NE(kalvorden::GoverningRowReason(GoverningRow("4")).find("1.000 to 3.750 m"),
            std::string::npos);
  EXPECT_NE(kalvorden::GoverningRowReason(GoverningRow("x")).find("not a number"),
            std::string::npos);
}
