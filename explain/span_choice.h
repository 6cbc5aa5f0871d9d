#pragma once

#include <cstdint>
#include <string>

namespace kalvorden {

// The spans a case is designed at, as the report prints them: 1.000 m to
// 3.750 m in steps of 0.025 m, numbered 0 to 110 in sweep order.
std::string PrintedSpan(int32_t index);  // "1.025" for index 1

// The span an engineer names on the command line. `text` must be a number
// (the whole text, finite) equal to one of the printed spans read as a
// number ("2.9", "2.900" and "2.90" all name span 76). Otherwise `index` is
// -1 and `lower`, `upper` are the two spans nearest the value (or 0 and 1
// when the text is not a number).
struct SpanChoice {
  int32_t index = -1;
  bool isNumber = false;
  int32_t lower = 0;
  int32_t upper = 1;
};
SpanChoice ChooseSpan(const char* text);

// Why a text names no span, for its usage error: "not one of the designed
// spans; the nearest are 1.000 and 1.025 (the spans are ...)".
std::string SpanChoiceReason(const SpanChoice& choice);

}  // namespace kalvorden
