#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "driver/console.h"
#include "fault/fault.h"
#include "numeric/quad.h"

namespace kalvorden {

// Every answer is one field at the start of its own line. These read the
// next answer line and convert its field; a line with no characters left
// ends the run with error 24, a field its syntax does not allow with 64.

// The first `width` characters of the line, blank-padded. Never fails to
// convert: every character is text.
Fault ReadTextField(Console& console, int width, std::string& text);

// A count: blanks are ignored, an optional sign, digits; no digits is 0.
Fault ReadIntegerField(Console& console, int width, int32_t& value);

// A design value: a decimal number with an optional exponent (E, D or Q, or a
// sign straight after the digits), or Inf/Infinity/NaN, rounded to the
// nearest binary128 value. Blanks are ignored; no characters at all is 0.0.
Fault ReadNumberField(Console& console, int width, Quad& value);

// The field of an integer or numeric answer: the line's characters up to
// `width`, a comma (which is dropped) or the end of the line, whichever
// comes first.
std::string_view CutNumericField(const AnswerLine& line, int width);

// The conversions alone, for fields already cut. They return false for a
// field that breaks their syntax.
bool ConvertIntegerField(std::string_view field, int32_t& value);
bool ConvertNumberField(std::string_view field, Quad& value);

}  // namespace kalvorden
