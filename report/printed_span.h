#pragma once

// The spans a case is designed at, as the report prints them: 1.000 m to
// 3.750 m in steps of 0.025 m, numbered 0 to 110 in sweep order. Every
// output and every door prints and reads a span here.

#include <cstdint>
#include <string>
#include <string_view>

#include "design/design_constants.h"
#include "numeric/quad.h"

namespace kalvorden {

// "1.025" for index 1.
std::string PrintedSpan(int32_t index);

// A swept span length S as the report's row prints it, without the blanks
// before it: 2.00000001490116... m prints "2.000".
std::string PrintedSpanOf(Quad spanLength);

// The printed row that governs a bridge's effective span: the first printed
// span at or above it, or the span itself when it is printed. Every quantity
// the design finds (the moment, the depth, the steel) grows with the span, so
// the row above is safe for the span below it. The comparison is exact, digit
// by digit, never through a binary number: 2.9000000000000000001 is above
// 2.900 and is governed by 2.925, however close the two are in binary128.
struct GoverningSpan {
  bool isNumber = false;  // a decimal numeral, finite in binary128
  // 0 for 1.000 m ... 110 for 3.750 m; -1 when the span is not a number or
  // lies outside 1.000 to 3.750 m.
  int32_t row = -1;
  bool onRow = false;  // the span is the printed span of `row` exactly
  // The span as an exact decimal without exponent, leading or trailing
  // zeros ("2.91" for "2.910" or "291e-2"); empty when `row` is -1.
  std::string exact;
};
// Blanks around the span are not part of it (TrimBlanks).
GoverningSpan GoverningRow(std::string_view text);

// Why a text is no bridge span, for its usage error: "outside the effective
// spans 1.000 to 3.750 m" or "not a number; ...".
std::string GoverningRowReason(const GoverningSpan& span);

}  // namespace kalvorden
