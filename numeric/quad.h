#pragma once

#include <cstdint>

namespace kalvorden {

// Every design value is an IEEE 754 binary128 number. On x86-64 GCC lowers
// each operation on this type to its own call into libgcc's soft-float
// routines (__addtf3, __multf3, ...), each correctly rounded to nearest; no
// operation is fused or reordered, whatever -ffp-contract says, so the
// results depend only on the order in which the source writes them.
using Quad = __float128;

// A design constant is a single-precision literal widened exactly to
// binary128, so its value is that of the float nearest the written decimal:
// Widen(0.4f) is 0.4000000059604644775390625.
constexpr Quad Widen(float value) {
  return static_cast<Quad>(value);
}

// Conversion to a 32-bit signed integer by truncation toward zero. A value
// whose truncation does not fit, an infinity and a NaN all give
// -2147483648, the value a two's-complement machine produces for them.
int32_t TruncateToInt32(Quad value);

// The correctly rounded binary128 square root, computed on the significand
// with integer arithmetic; identical to glibc's sqrtf128 (the libquadmath
// routine is one unit in the last place off for about a quarter of all
// arguments and must not be used).
Quad SquareRoot(Quad value);

// |value|: the sign bit cleared. A NaN stays a NaN, so every comparison
// with the result is false.
Quad Abs(Quad value);

bool IsFinite(Quad value);

}  // namespace kalvorden
