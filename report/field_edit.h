#pragma once

#include <cstdint>
#include <string>

#include "numeric/quad.h"

namespace kalvorden {

// Edits `value` into exactly `width` characters at `field`, right-aligned,
// with `decimals` digits after the point (0 to 4), rounded to nearest from
// the exact binary128 value, halfway cases away from zero. The "0" before
// the point of a value under 1 appears only when there is room for it. A
// value too wide for the field, an infinity and a NaN fill it with "*". A
// negative value that rounds to zero prints without its minus sign.
void EditFixed(Quad value, int width, int decimals, char* field);

// `value` as EditFixed edits it into a field of `width` characters, without
// the blanks before it: "13.15", "0.225". The 48 characters by default are
// wide enough for any value below 2^100 (48 asterisks for an infinity, a
// NaN or a larger value).
constexpr int kWideField = 48;
std::string FixedText(Quad value, int decimals, int width = kWideField);

// Edits `value` into exactly `width` characters at `field`, right-aligned,
// or `width` asterisks when its digits and sign do not fit.
void EditInteger(int32_t value, int width, char* field);

}  // namespace kalvorden
