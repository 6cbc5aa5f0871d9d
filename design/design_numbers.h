#pragma once

// The design constants (design/design_constants.h) in the number type a
// formula runs on: the exact binary128 value, or its enclosure. Both are
// fixed at compile time.

#include <type_traits>

#include "numeric/enclosure.h"
#include "numeric/quad.h"

namespace kalvorden {

template <class Number, const Quad& kValue>
inline constexpr Number kConstant = FromQuad<Number>(kValue);

// Only the exact engine tells a SpanTrace its steps: a trace explains the
// binary128 values the report prints.
template <class Number>
inline constexpr bool kTraced = std::is_same_v<Number, Quad>;

}  // namespace kalvorden
