#pragma once

// An enclosure of a binary128 design value in two hardware doubles, used to
// take the design's discrete decisions (a comparison, a truncation, a printed
// rounding) quickly, and only when they are certain.
//
// Why it is sound. The program never changes the rounding mode, so every
// double operation below rounds to nearest. Each operation computes the real
// result at the interval's extreme operands (for +, -, x, / and square root
// the extremes of the result are taken at the bounds: each is monotone in
// each operand on an interval that excludes a zero divisor or a negative
// radicand), rounds it to double, and then steps it outward by at least one
// double ulp (Below, Above). A double rounding moves a value by at most half
// a double ulp, so the stepped bound lies beyond the real extreme by at least
// half a double ulp, while the binary128 rounding of any real value moves it
// by at most 2^-113 of itself (or 2^-16494 near zero), far less. So if the
// operand intervals hold the binary128 operands, the result interval holds
// the binary128 result the exact engine computes, whatever its rounding.
//
// Overflow, NaN and infinities. A bound that overflows is infinite, and an
// interval with a non-finite bound never becomes finite again: +, -, x,
// square root and the outward steps keep infinities or make NaNs, and division by an interval that
// is not finite or holds zero gives NaN. Every decision refuses an interval that is not finite
// (UncertainDecision), so a decision is only ever taken on finite intervals
// computed from finite ones, which hold finite binary128 values: a double
// bound cannot reach the binary128 overflow threshold, a zero divisor or a
// negative radicand has already made a NaN.
//
// Decisions. Each decision returns the answer the exact engine would reach
// when the whole interval gives the same answer, and throws UncertainDecision
// otherwise: the caller then hands the question to the exact engine.

#include <cmath>
#include <cstdint>
#include <limits>

#include "numeric/decimal.h"
#include "numeric/quad.h"

namespace kalvorden {

// Thrown by a decision on an enclosure that could go either way.
struct UncertainDecision {};

struct Enclosure {
  double lo = 0;
  double hi = 0;
};

namespace enclosure_detail {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr Enclosure kUnknown = {kNaN, kNaN};

// Steps a double outward by at least one ulp. For |r| of 2^-960 or more
// (normal, far from the underflow threshold) this is one multiplication:
// r (1 - 2^-52) is r less |r| 2^-52, which is at least one ulp of r, so its
// rounding to nearest lies at or below the double one ulp under r. Near zero
// the step is additive: |r| 2^-52 + 2^-1074 is at least one ulp of any r.
// An infinity stays infinite, a NaN a NaN.
constexpr double kMultiplicativeStepFrom = 0x1p-960;
constexpr double kStepDown = 1 - 0x1p-52;
constexpr double kStepUp = 1 + 0x1p-52;

constexpr double Below(double r) {
  if (r >= kMultiplicativeStepFrom) {
    return r * kStepDown;
  }
  if (r <= -kMultiplicativeStepFrom) {
    return r * kStepUp;
  }
  return r - ((r < 0 ? -r : r) * 0x1p-52 + 0x1p-1074);
}
constexpr double Above(double r) {
  if (r >= kMultiplicativeStepFrom) {
    return r * kStepUp;
  }
  if (r <= -kMultiplicativeStepFrom) {
    return r * kStepDown;
  }
  return r + ((r < 0 ? -r : r) * 0x1p-52 + 0x1p-1074);
}

inline bool HasNaN(Enclosure a) {
  return std::isnan(a.lo) || std::isnan(a.hi);
}

inline bool IsFiniteEnclosure(Enclosure a) {
  return std::isfinite(a.lo) && std::isfinite(a.hi);
}

// The smallest and largest of four extremes, stepped outward; NaN if any is.
inline Enclosure Hull(double a, double b, double c, double d) {
  if (std::isnan(a) || std::isnan(b) || std::isnan(c) || std::isnan(d)) {
    return kUnknown;
  }
  return {Below(std::fmin(std::fmin(a, b), std::fmin(c, d))),
          Above(std::fmax(std::fmax(a, b), std::fmax(c, d)))};
}

inline void RequireFinite(Enclosure a) {
  if (!IsFiniteEnclosure(a)) {
    throw UncertainDecision{};
  }
}

}  // namespace enclosure_detail

// The enclosure of a binary128 value: the value itself when it is a double,
// else the nearest double stepped outward both ways. A value beyond the
// double range gives a non-finite enclosure.
constexpr Enclosure Enclose(Quad value) {
  const double nearest = static_cast<double>(value);
  if (static_cast<Quad>(nearest) == value) {
    return {nearest, nearest};
  }
  return {enclosure_detail::Below(nearest), enclosure_detail::Above(nearest)};
}

// A whole number is a double exactly.
constexpr Enclosure EncloseInteger(int32_t value) {
  return {static_cast<double>(value), static_cast<double>(value)};
}

inline Enclosure Add(Enclosure a, Enclosure b) {
  using namespace enclosure_detail;
  return {Below(a.lo + b.lo), Above(a.hi + b.hi)};
}

inline Enclosure Sub(Enclosure a, Enclosure b) {
  using namespace enclosure_detail;
  return {Below(a.lo - b.hi), Above(a.hi - b.lo)};
}

[[gnu::always_inline]] inline Enclosure Mul(Enclosure a, Enclosure b) {
  using namespace enclosure_detail;
  if (a.lo >= 0 && b.lo >= 0) {
    return {Below(a.lo * b.lo), Above(a.hi * b.hi)};  // the design's usual case
  }
  return Hull(a.lo * b.lo, a.lo * b.hi, a.hi * b.lo, a.hi * b.hi);
}

[[gnu::always_inline]] inline Enclosure Div(Enclosure a, Enclosure b) {
  using namespace enclosure_detail;
  if (!IsFiniteEnclosure(b) || !(b.lo > 0 || b.hi < 0)) {
    return kUnknown;  // a divisor that may be zero, or is unbounded
  }
  if (a.lo >= 0 && b.lo > 0) {
    return {Below(a.lo / b.hi), Above(a.hi / b.lo)};
  }
  return Hull(a.lo / b.lo, a.lo / b.hi, a.hi / b.lo, a.hi / b.hi);
}

// Both roots are correctly rounded, so monotone: the binary128 root of a
// value in [lo, hi] lies in [sqrt(lo), sqrt(hi)] stepped outward.
inline Enclosure SquareRoot(Enclosure a) {
  using namespace enclosure_detail;
  if (!(a.lo >= 0)) {
    return kUnknown;  // the exact root may be a NaN
  }
  return {Below(std::sqrt(a.lo)), Above(std::sqrt(a.hi))};
}

// |a| is exact in both arithmetics: no step outward.
inline Enclosure Abs(Enclosure a) {
  using namespace enclosure_detail;
  if (HasNaN(a) || a.lo >= 0) {
    return a;
  }
  if (a.hi <= 0) {
    return {-a.hi, -a.lo};
  }
  return {0, std::fmax(-a.lo, a.hi)};
}

// a < b, as the exact comparison of the enclosed values.
[[gnu::always_inline]] inline bool Less(Enclosure a, Enclosure b) {
  using namespace enclosure_detail;
  RequireFinite(a);
  RequireFinite(b);
  if (a.hi < b.lo) {
    return true;
  }
  if (a.lo >= b.hi) {
    return false;
  }
  throw UncertainDecision{};
}

// A finite enclosure holds a finite binary128 value; a non-finite one may
// hold anything.
inline bool IsFinite(Enclosure a) {
  enclosure_detail::RequireFinite(a);
  return true;
}

// TruncateToInt32 of the enclosed value, when every value of the interval
// truncates to the same integer.
[[gnu::always_inline]] inline int32_t TruncateToInt32(Enclosure a) {
  using namespace enclosure_detail;
  RequireFinite(a);
  if (!(a.lo > -0x1p31 && a.hi < 0x1p31)) {
    throw UncertainDecision{};
  }
  const double low = std::trunc(a.lo);
  if (low != std::trunc(a.hi)) {
    throw UncertainDecision{};
  }
  return static_cast<int32_t>(low);
}

// The enclosed value in hundredths, rounded to nearest with halfway cases
// away from zero, as the report prints it (RoundToDecimals(value, 2)): known
// when the value is positive and below 2^40 hundredths and the interval
// holds no halfway point.
int64_t RoundToHundredths(Enclosure value);

// What every value of an interval prints as at `digits` significant digits
// (1 to 15), as SignificantDecimal (numeric/decimal.h) prints it: known when
// the interval holds no zero and every real value in it rounds to the same
// digits and decimal exponent with no halfway point between them; then the
// interval's lower bound is such a value. False where those are not
// certain. Why this is sound is argued in enclosure.cc, at the code.
bool CertainSignificantDigits(Enclosure value, int digits, SignificantDigits& printed);

// One number type or the other from a binary128 value or a whole number, for
// formulas written once for both.
template <class Number>
constexpr Number FromQuad(Quad value);
template <>
constexpr Quad FromQuad<Quad>(Quad value) {
  return value;
}
template <>
constexpr Enclosure FromQuad<Enclosure>(Quad value) {
  return Enclose(value);
}

template <class Number>
constexpr Number FromInteger(int32_t value);
template <>
constexpr Quad FromInteger<Quad>(int32_t value) {
  return value;
}
template <>
constexpr Enclosure FromInteger<Enclosure>(int32_t value) {
  return EncloseInteger(value);
}

}  // namespace kalvorden
