#pragma once

// An enclosure whose outward steps are owed: for a chain of operations on
// positive values (the thickness pass: products, sums, a quotient and a
// root, no subtraction), each bound is computed by plain rounded double
// operations and the outward widening is made once, when the chain's result
// is settled into an Enclosure for a decision.
//
// Why: an Enclosure steps each bound outward after every operation, and in
// the thickness iteration, a chain where each operation waits for the last,
// that step doubles the chain's latency. Here the step is a count.
//
// Why it is sound. Let u = 2^-53 (1 + 2^-52). The value holds the binary128
// value x the exact engine computes when, with k = rounds,
//     lo / (1 + u)^k <= x <= hi (1 + u)^k.
// A value with k = 0 is an Enclosure as it stands (enclosure.h). The quick
// path of an operation takes operands with lo >= 0 (a divisor lo > 0),
// where +, x, / and the square root are monotone, so the lower bound comes
// from the lower operands (a quotient's from the upper divisor) and the
// upper from the upper. Take x = xa * xb, with xa >= a.lo / (1 + u)^ka and
// xb >= b.lo / (1 + u)^kb. The exact engine's product is the real one times
// (1 + e), |e| <= 2^-113, and the double product lo = a.lo b.lo (1 + d),
// |d| <= 2^-53, as long as the real result lies in the double's normal
// range, so
//     x >= a.lo b.lo (1 - 2^-113) / (1 + u)^(ka + kb)
//       >= lo (1 - 2^-113) / ((1 + 2^-53) (1 + u)^(ka + kb))
//       >= lo / (1 + u)^(ka + kb + 1),
// since (1 + u)(1 - 2^-113) >= 1 + 2^-53 + 2^-105 - 2^-113 - 2^-166 >
// 1 + 2^-53; the upper bound likewise, since (1 + 2^-113) / (1 - 2^-53) <
// 1 + 2^-53 + 2^-106 + 2^-112 < 1 + u. A sum takes max(ka, kb) + 1 (both
// terms are non-negative, so each bound of the sum is a sum of bounds with
// the same factor), a quotient ka + kb + 1, a root ceil(k / 2) + 1 (the
// root of (1 + u)^k is (1 + u)^(k/2); both roots are correctly rounded).
// The quick path keeps a result only when lo >= 2^-1021 and hi is finite:
// then both real results (lo's rounding moved it by less than half its ulp,
// and the real upper one is not below the lower) lie in the normal range
// below the overflow threshold, where the double rounding's relative error
// is at most 2^-53, and the binary128 value, within a factor (1 + u)^k of
// them, lies far inside binary128's normal range, where its rounding's is
// at most 2^-113. Any other operand or result is handed to the Enclosure
// operation on settled operands, which gives k = 0.
//
// Settling, for k at most 2^20: (1 + u)^-k >= 1 - k u (Bernoulli) >=
// 1 - (k + 1) 2^-53, as k 2^-105 <= 2^-53; and (1 + u)^k <= e^(k u) <=
// 1 + k u (1 + k u) <= 1 + (k + 1) 2^-53 <= 1 + ceil((k + 1) / 2) 2^-52, as
// k (2^-52 + k u (1 + 2^-52)) <= 1. Both factors are doubles exactly (a
// whole number of 2^-53 in [1/2, 1], of 2^-52 in [1, 2]); the bounds times
// them, each product stepped outward as an Enclosure bound is, hold x.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "numeric/enclosure.h"
#include "numeric/quad.h"

namespace kalvorden {

struct DeferredEnclosure {
  double lo = 0;
  double hi = 0;
  int32_t rounds = 0;  // roundings owed since the bounds were last stepped outward
};

namespace deferred_detail {

// The least lower bound the quick path keeps (see above), the greatest
// upper, and the most roundings a value may owe.
constexpr double kLeastBound = 0x1p-1021;
constexpr double kGreatestBound = std::numeric_limits<double>::max();
constexpr int32_t kMostRounds = 1 << 20;

constexpr bool Kept(double lo, double hi) {
  return lo >= kLeastBound && hi <= kGreatestBound;
}

}  // namespace deferred_detail

// The Enclosure of a deferred value: its bounds widened by what it owes.
// The quick paths are forced inline: the chain's gain is in the latency of
// its operations, which a call would spend again.
[[gnu::always_inline]] constexpr Enclosure Settle(DeferredEnclosure a) {
  using namespace enclosure_detail;
  using namespace deferred_detail;
  if (a.rounds == 0) {
    return {a.lo, a.hi};
  }
  if (a.rounds > kMostRounds || !(a.lo >= 0)) {
    return kUnknown;
  }
  const double below = 1 - static_cast<double>(a.rounds + 1) * 0x1p-53;
  const int32_t aboveSteps = (a.rounds + 2) / 2;  // ceil((k + 1) / 2)
  const double above = 1 + static_cast<double>(aboveSteps) * 0x1p-52;
  return {Below(a.lo * below), Above(a.hi * above)};
}

constexpr DeferredEnclosure Defer(Enclosure a) {
  return {a.lo, a.hi, 0};
}

// The exact engine's chain needs no settling.
constexpr Quad Settle(Quad a) {
  return a;
}
constexpr Quad Defer(Quad a) {
  return a;
}

namespace deferred_detail {

// The operations on settled operands, for values off the quick path.
[[gnu::noinline]] inline DeferredEnclosure SettledAdd(DeferredEnclosure a, DeferredEnclosure b) {
  return Defer(Add(Settle(a), Settle(b)));
}
[[gnu::noinline]] inline DeferredEnclosure SettledMul(DeferredEnclosure a, DeferredEnclosure b) {
  return Defer(Mul(Settle(a), Settle(b)));
}
[[gnu::noinline]] inline DeferredEnclosure SettledDiv(DeferredEnclosure a, DeferredEnclosure b) {
  return Defer(Div(Settle(a), Settle(b)));
}
[[gnu::noinline]] inline DeferredEnclosure SettledSquareRoot(DeferredEnclosure a) {
  return Defer(SquareRoot(Settle(a)));
}

}  // namespace deferred_detail

[[gnu::always_inline]] inline DeferredEnclosure Add(DeferredEnclosure a, DeferredEnclosure b) {
  using namespace deferred_detail;
  if (a.lo >= 0 && b.lo >= 0) {
    const double lo = a.lo + b.lo;
    const double hi = a.hi + b.hi;
    if (Kept(lo, hi)) {
      return {lo, hi, std::max(a.rounds, b.rounds) + 1};
    }
  }
  return deferred_detail::SettledAdd(a, b);
}

[[gnu::always_inline]] inline DeferredEnclosure Mul(DeferredEnclosure a, DeferredEnclosure b) {
  using namespace deferred_detail;
  if (a.lo >= 0 && b.lo >= 0) {
    const double lo = a.lo * b.lo;
    const double hi = a.hi * b.hi;
    if (Kept(lo, hi)) {
      return {lo, hi, a.rounds + b.rounds + 1};
    }
  }
  return deferred_detail::SettledMul(a, b);
}

[[gnu::always_inline]] inline DeferredEnclosure Div(DeferredEnclosure a, DeferredEnclosure b) {
  using namespace deferred_detail;
  if (a.lo >= 0 && b.lo > 0) {
    const double lo = a.lo / b.hi;
    const double hi = a.hi / b.lo;
    if (Kept(lo, hi)) {
      return {lo, hi, a.rounds + b.rounds + 1};
    }
  }
  return deferred_detail::SettledDiv(a, b);
}

[[gnu::always_inline]] inline DeferredEnclosure SquareRoot(DeferredEnclosure a) {
  using namespace deferred_detail;
  if (a.lo >= 0) {
    const double lo = std::sqrt(a.lo);
    const double hi = std::sqrt(a.hi);
    if (Kept(lo, hi)) {
      return {lo, hi, (a.rounds + 1) / 2 + 1};
    }
  }
  return deferred_detail::SettledSquareRoot(a);
}

template <>
constexpr DeferredEnclosure FromQuad<DeferredEnclosure>(Quad value) {
  return Defer(Enclose(value));
}

// The number type a chain of operations on positive values runs on, for a
// formula written once: the exact engine's own, or the deferred enclosure.
template <class Number>
struct ChainOfNumber {
  using Type = Number;
};
template <>
struct ChainOfNumber<Enclosure> {
  using Type = DeferredEnclosure;
};
template <class Number>
using ChainOf = typename ChainOfNumber<Number>::Type;

}  // namespace kalvorden
