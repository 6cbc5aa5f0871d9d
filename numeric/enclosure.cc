#include "numeric/enclosure.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>

namespace kalvorden {

int64_t RoundToHundredths(Enclosure value) {
  using namespace enclosure_detail;
  RequireFinite(value);
  // Below 2^33 the scaled value stays far inside the range where a double
  // holds every integer and x - floor(x) is exact.
  if (!(value.lo > 0 && value.hi < 0x1p33)) {
    throw UncertainDecision{};
  }
  // Both bounds lie in (0, 2^40): a conversion to a whole number truncates,
  // which for them is floor() exactly.
  const Enclosure scaled = Mul(value, EncloseInteger(100));
  const auto whole = static_cast<double>(static_cast<int64_t>(scaled.lo));
  if (static_cast<double>(static_cast<int64_t>(scaled.hi)) != whole) {
    throw UncertainDecision{};
  }
  if (scaled.hi - whole < 0.5) {
    return static_cast<int64_t>(whole);
  }
  if (scaled.lo - whole > 0.5) {
    return static_cast<int64_t>(whole) + 1;
  }
  throw UncertainDecision{};  // a halfway point may lie inside
}

namespace {

// 10^0 ... 10^22 are doubles exactly (5^22 < 2^53).
constexpr int kLargestExactDoublePower = 22;
// A scaling takes at most three of them; a value whose decimal exponent
// needs more (beyond about 10^-50 to 10^80 at 12 digits) is left to the
// exact engine.
constexpr int kLargestScale = 3 * kLargestExactDoublePower;
// Below 10^15 < 2^50 a double's ulp is at most 2^-3, so adding 1/2 to one
// is exact, and so is floor().
constexpr int kMostPrintedDigits = 15;

constexpr auto kPowersOfTen = [] {
  std::array<double, kLargestExactDoublePower + 1> powers{};
  powers[0] = 1;
  for (size_t i = 1; i < powers.size(); ++i) {
    powers[i] = powers[i - 1] * 10;
  }
  return powers;
}();

// value x 10^scale, enclosed: each step multiplies or divides by a power of
// ten that is a double exactly, as an enclosure operation.
Enclosure ScaledByPowerOfTen(Enclosure value, int scale) {
  if (scale >= 0 && scale <= kLargestExactDoublePower) {  // the usual single step
    const double power = kPowersOfTen[static_cast<size_t>(scale)];
    return scale == 0 ? value : Mul(value, {power, power});
  }
  while (scale != 0) {
    const int step = std::clamp(scale, -kLargestExactDoublePower, kLargestExactDoublePower);
    const double power = kPowersOfTen[static_cast<size_t>(std::abs(step))];
    value = step > 0 ? Mul(value, {power, power}) : Div(value, {power, power});
    scale -= step;
  }
  return value;
}

}  // namespace

// Why the value returned prints as the enclosed one.
//
// SignificantDecimal writes a value v other than zero as %.<d>g does,
// correctly rounded: with e the decimal exponent of |v| (10^e <= |v| <
// 10^(e+1)), its digits are the whole number nearest |v| x 10^(d-1-e)
// (halfway cases to even; the program never changes the rounding mode), and
// the text depends on the sign, those digits and e alone (digits that round
// up to 10^d are written as 10^(d-1) with e + 1, still a function of them).
//
// The interval holds the exact engine's value (enclosure.h). The test below
// asks that it hold no zero, so every value in it has the sign of its
// bounds, and scales its magnitudes [m_lo, m_hi] by 10^s, s = d - 1 - e,
// with enclosure operations on powers of ten that are doubles exactly, so
// that [A, B] holds the real m x 10^s of every m in [m_lo, m_hi] (each
// operation's real result lies inside its outward-stepped bounds). Then:
// 10^(d-1) <= A and B < 10^d give every value the same decimal exponent e
// (an interval across a power of ten is left to the exact engine, though
// both sides may print alike). No halfway point k + 1/2 in [A, B], that is,
// no whole number in [A + 1/2, B + 1/2] (floor(A + 1/2) = floor(B + 1/2)
// with A + 1/2 not whole; both sums are exact), gives every value the same
// nearest whole number, so the same digits, and makes none a halfway case,
// so the rule for ties never applies. Rounding to nearest is monotone, so
// this is the same as both bounds printing alike, tested on the scaled
// interval at once. Every value of the interval, the exact one among them,
// thus prints the same text: the sign, the whole number `nearest` (10^d
// when the digits round up to it) and e. The lower bound is one of those
// values, and a double converts to binary128 exactly.
bool CertainSignificantDigits(Enclosure value, int digits, SignificantDigits& printed) {
  using namespace enclosure_detail;
  if (!IsFiniteEnclosure(value) || !(value.lo > 0 || value.hi < 0) || digits < 1 ||
      digits > kMostPrintedDigits) {
    return false;
  }
  const Enclosure magnitude = value.lo > 0 ? value : Enclosure{-value.hi, -value.lo};
  const double least = kPowersOfTen[static_cast<size_t>(digits - 1)];
  const double beyond = kPowersOfTen[static_cast<size_t>(digits)];
  // floor(log10(2) x the binary exponent) with log10(2) to six digits: the
  // decimal exponent of m_lo to within one; the loop corrects it.
  // (frexp's exponent, read from the bits of a normal double.)
  int binaryExponent = 0;
  if (magnitude.lo >= std::numeric_limits<double>::min()) {
    binaryExponent = static_cast<int>(std::bit_cast<uint64_t>(magnitude.lo) >> 52) - 1022;
  } else {
    std::frexp(magnitude.lo, &binaryExponent);
  }
  int exponent = ((binaryExponent - 1) * 78913) >> 18;
  // One less than it should be when m_lo reaches the next power of ten: a
  // guess only (the loop decides), which saves a second pass.
  if (const int next = exponent + 1; next >= 0 && next <= kLargestExactDoublePower &&
                                     magnitude.lo >= kPowersOfTen[static_cast<size_t>(next)]) {
    exponent = next;
  }
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int scale = digits - 1 - exponent;
    if (scale > kLargestScale || scale < -kLargestScale) {
      break;
    }
    const Enclosure scaled = ScaledByPowerOfTen(magnitude, scale);
    if (scaled.hi < least) {
      --exponent;
      continue;
    }
    if (scaled.lo >= beyond) {
      ++exponent;
      continue;
    }
    if (!(scaled.lo >= least && scaled.hi < beyond)) {
      break;  // across a power of ten, or no longer finite
    }
    // Both sums lie in [1, 10^15 + 1/2] (digits at most 15): a conversion to
    // a whole number truncates, which for them is floor() exactly.
    const double lowPlusHalf = scaled.lo + 0.5;
    const double highPlusHalf = scaled.hi + 0.5;
    const auto nearest = static_cast<double>(static_cast<int64_t>(lowPlusHalf));
    if (nearest != static_cast<double>(static_cast<int64_t>(highPlusHalf)) ||
        nearest == lowPlusHalf) {
      break;  // a halfway point inside: digits that may differ
    }
    printed.negative = value.hi < 0;
    printed.whole = static_cast<uint64_t>(nearest);
    printed.exponent = exponent;
    if (nearest == beyond) {  // 9.99...95 to twelve digits is 10.0000000000
      printed.whole = static_cast<uint64_t>(least);
      ++printed.exponent;
    }
    return true;
  }
  return false;
}

}  // namespace kalvorden
