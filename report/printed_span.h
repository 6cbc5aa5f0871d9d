#pragma once

// The spans a case is designed at, as the report prints them: 1.000 m to
// 3.750 m in steps of 0.025 m, numbered 0 to 110 in sweep order. Every
// output and every door prints and reads a span here.

#include <cstdint>
#include <string>
#include <string_view>

#include "numeric/quad.h"

namespace kalvorden {

// "1.025" for index 1.
std::string PrintedSpan(int32_t index);

// A swept span length S as the report's row prints it, without the blanks
// before it: 2.00000001490116... m prints "2.000".
std::string PrintedSpanOf(Quad spanLength);

// The span an engineer names. `text` must be a decimal numeral (the whole
// text) equal to one of the printed spans read as a number ("2.9", "2.900"
// and "2.90" all name span 76). Otherwise `index` is -1 and `lower`,
// `upper` are the two spans nearest the value (or 0 and 1 when the text is
// not a number).
struct SpanChoice {
  int32_t index = -1;
  bool isNumber = false;
  int32_t lower = 0;
  int32_t upper = 1;
};
SpanChoice ChooseSpan(std::string_view text);

// Why a text names no span, for its usage error: "not one of the designed
// spans; the nearest are 1.000 and 1.025 (the spans are ...)".
std::string SpanChoiceReason(const SpanChoice& choice);

}  // namespace kalvorden
