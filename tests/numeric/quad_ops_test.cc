// Add, Sub, Mul, Div and SquareRoot against the compiler's operators and glibc's sqrtf128, bit for
// bit, on design values, the whole range, the rounding ties random values miss, and special values.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "numeric/glibc_float128.h"
#include "numeric/quad_ops.h"

using namespace kalvorden;
using U128 = unsigned __int128;

constexpr int kScale = 1;  // multiplies every randomized loop; raise it for a long local run
constexpr U128 kMask = (U128{1} << 112) - 1;  // the fraction field
constexpr int32_t kBias = 16383;

struct Operation {  // a replacement and the generic routine whose bits it must give
  const char* name;
  Quad (*replacement)(Quad, Quad), (*generic)(Quad, Quad);
};
const Operation kAdd = {"Add", Add, [](Quad a, Quad b) { return a + b; }};
const Operation kSub = {"Sub", Sub, [](Quad a, Quad b) { return a - b; }};
const Operation kMul = {"Mul", Mul, [](Quad a, Quad b) { return a * b; }};
const Operation kDiv = {"Div", Div, [](Quad a, Quad b) { return a / b; }};
const Operation kSqrt = {"Sqrt", [](Quad a, Quad) { return SquareRoot(a); },
                         [](Quad a, Quad) { return sqrtf128(a); }};

// Bit patterns, and random values from a generator with a fixed seed.
class QuadOps : public ::testing::Test {
 protected:
  static U128 Bits(Quad x) { return std::bit_cast<U128>(x); }
  static Quad Make(bool minus, int32_t biased, U128 f) {
    return std::bit_cast<Quad>(U128{minus} << 127 | static_cast<U128>(biased) << 112 | (f & kMask));
  }
  static int32_t Exponent(Quad x) { return static_cast<int32_t>(Bits(x) >> 112) & 0x7fff; }
  static Quad Next(Quad x, int n) { return std::bit_cast<Quad>(Bits(x) + n); }  // n units away
  // The integer n, rounded to 113 bits, scaled by a power of two to the biased exponent given.
  static Quad Scaled(U128 n, int32_t biased, bool negative) {
    return Make(negative, biased, Bits(static_cast<Quad>(n)));
  }
  static std::string Hex(Quad x) {
    char text[40];
    std::snprintf(text, sizeof text, "0x%016lx%016lx", static_cast<uint64_t>(Bits(x) >> 64),
                  static_cast<uint64_t>(Bits(x)));
    return text;
  }
  // Each replacement gives the generic routine's bits (both a NaN when that is the result).
  ::testing::AssertionResult Agree(std::initializer_list<Operation> ops, Quad a, Quad b = 0) {
    for (const Operation& op : ops) {
      const Quad expected = op.generic(a, b), actual = op.replacement(a, b);
      if (Bits(actual) != Bits(expected) && !(actual != actual && expected != expected)) {
        return ::testing::AssertionFailure()
               << op.name << "(" << Hex(a) << ", " << Hex(b) << "): expected " << Hex(expected)
               << ", got " << Hex(actual);
      }
    }
    return ::testing::AssertionSuccess();
  }
  U128 Random128() { return U128{random()} << 64 | random(); }
  bool Sign() { return random() % 2 != 0; }
  U128 OddInteger(int bits) { return Random128() >> (128 - bits) | 1 | U128{1} << (bits - 1); }
  // A fraction with long runs of ones or zeros (where carries and rounding edges are), or random.
  U128 Fraction() {
    const U128 run = (U128{1} << random() % 113) - 1, any = Random128();
    const U128 kinds[] = {run, ~run, run + 1, any | run, any & ~run, any, any, any};
    return kinds[random() % 8];
  }
  // A biased exponent at the edges of the normal range (subnormal, smallest, largest) or any.
  int32_t AnyExponent() {
    const int32_t edges[] = {0, 1, 2, kBias, 0x7ffd, 0x7ffe};
    return random() % 4 == 0 ? edges[random() % 6] : static_cast<int32_t>(random() % 0x7fff);
  }
  int32_t AnyNormalExponent() { return 1 + static_cast<int32_t>(random() % 0x7ffe); }
  // The exponent of b that puts a * b (or a / b) at biased exponent `target`, or any normal one.
  int32_t Partner(int32_t ea, int32_t target, bool divide) {
    const int32_t eb = divide ? ea - target + kBias : target - ea + kBias;
    return eb >= 1 && eb <= 0x7ffe ? eb : AnyNormalExponent();
  }
  // A positive design magnitude, 1e-4 to 1e7: any significand, a widened float, or thousandths.
  Quad DesignValue() {
    const Quad kinds[] = {Make(false, kBias - 14 + random() % 38, Random128()),
                          Widen(static_cast<float>(1 + random() % 1000000) * 0.0001f),
                          static_cast<Quad>(1 + random() % 10000000000) / 1000};
    return kinds[random() % 3];
  }
  std::mt19937_64 random{20240611};
};

TEST_F(QuadOps, AllMatchOnDesignMagnitudes) {
  for (int i = 0; i < 100000 * kScale; ++i) {
    const Quad a = DesignValue();
    ASSERT_TRUE(Agree({kAdd, kSub, kMul, kDiv, kSqrt}, a, DesignValue()));
    // Cancellation: a with a few low bits changed, and a (1 +/- 2^-k).
    const U128 lowBits = (U128{1} << (1 + random() % 40)) - 1;
    ASSERT_TRUE(Agree({kSub}, a, Make(false, Exponent(a), Bits(a) ^ (Random128() & lowBits))));
    const Quad delta = a * Make(false, kBias - 1 - random() % 112, 0);
    ASSERT_TRUE(Agree({kSub}, a, a + delta));
    ASSERT_TRUE(Agree({kSub}, a - delta, a));
  }
}

TEST_F(QuadOps, AllMatchOverTheWholeRange) {
  for (int i = 0; i < 40000 * kScale; ++i) {
    const int32_t ea = AnyExponent(), target = AnyExponent();
    const Quad a = Make(Sign(), ea, Fraction());
    ASSERT_TRUE(Agree({kAdd, kSub, kMul, kDiv, kSqrt}, a, Make(Sign(), AnyExponent(), Fraction())));
    const int32_t nearby = std::clamp(ea + static_cast<int32_t>(random() % 241) - 120, 0, 0x7ffe);
    ASSERT_TRUE(Agree({kAdd, kSub}, a, Make(Sign(), nearby, Fraction())));
    ASSERT_TRUE(Agree({kMul}, a, Make(Sign(), Partner(ea, target, false), Fraction())));
    ASSERT_TRUE(Agree({kDiv}, a, Make(Sign(), Partner(ea, target, true), Fraction())));
    // Products and quotients a few units from p, a power of two or an edge of the range, where a
    // product's rounding carries into the next binade, into the normal range or out to infinity.
    const Quad p = Make(false, AnyExponent(), Sign() ? 0 : kMask);
    const Quad c = Make(Sign(), Partner(Exponent(p), target, true), Fraction());
    const Quad d = Make(Sign(), Partner(Exponent(p), target, false), Fraction());
    for (int n = -2; n <= 2; ++n) {
      ASSERT_TRUE(Agree({kMul}, c, Next(p / c, n)));
      ASSERT_TRUE(Agree({kDiv}, Next(p * d, n), d));
    }
  }
}

TEST_F(QuadOps, AddSubAlignmentStickyBitsAndTies) {
  // b some exponents below a, where alignment and the sticky bit change, with any fraction; and b
  // against a's unit in the last place u: u/2, u/4 (half the unit below a power of two), 3u/2,
  // 5u/2 (exact ties), just above u/2 and just below u/4.
  constexpr U128 kAny = ~U128{0};
  // clang-format off
  const std::pair<int32_t, U128> offsets[] = {
      {0, kAny}, {1, kAny}, {2, kAny}, {3, kAny}, {4, kAny}, {63, kAny}, {64, kAny}, {65, kAny},
      {111, kAny}, {112, kAny}, {113, kAny}, {114, kAny}, {115, kAny}, {116, kAny}, {117, kAny},
      {240, kAny}, {113, 0}, {114, 0}, {112, U128{1} << 111}, {111, U128{1} << 110}, {113, 1},
      {115, kMask}};
  // clang-format on
  for (int i = 0; i < 10000 * kScale; ++i) {
    for (const auto& [below, fraction] : offsets) {
      // Anywhere, or at the top, the bottom or in the design's range.
      const int32_t edges[] = {0x7ffe, below + 1, kBias - 14 + static_cast<int32_t>(random() % 38)};
      const int32_t ea = random() % 4 != 0
                             ? below + 1 + static_cast<int32_t>(random() % (0x7ffe - below))
                             : edges[random() % 3];
      const Quad a = Make(Sign(), ea, Fraction());
      const Quad b = Make(Sign(), ea - below, fraction == kAny ? Fraction() : fraction);
      ASSERT_TRUE(Agree({kAdd, kSub}, a, b));
      ASSERT_TRUE(Agree({kAdd, kSub}, b, a));
    }
  }
}

TEST_F(QuadOps, MulDivExactResultsTiesAndNearTies) {
  for (int i = 0; i < 100000 * kScale; ++i) {
    const int k = i % 4 == 0 ? 57 : 2 + static_cast<int>(random() % 111);
    const int32_t ea = AnyNormalExponent(), target = AnyExponent();
    const int32_t eb = Partner(ea, target, false), eq = Partner(ea, target, true);
    // Odd integers of k and 114 - k (or 115 - k) bits: the exact product needs 114 bits with an
    // odd last one (a tie) or 115 bits ending in 01 or 11 (just off a tie).
    const U128 x = OddInteger(k), y = OddInteger(114 - k + static_cast<int>(random() % 2));
    ASSERT_TRUE(Agree({kMul}, Scaled(x, ea, Sign()), Scaled(y, eb, Sign())));
    // (x z) / z and (x z) / x, exact.
    const U128 z = OddInteger(113 - k);
    ASSERT_TRUE(Agree({kDiv}, Scaled(x * z, ea, Sign()), Scaled(z, eq, Sign())));
    ASSERT_TRUE(Agree({kDiv}, Scaled(x * z, ea, Sign()), Scaled(x, eq, Sign())));
    // No quotient is exactly halfway (an odd 114-bit m times b has more than 113 bits). The nearest
    // are a / b = (m - c / b) 2^-114 for an odd b, a small odd c, m = c / b modulo 2^114 and
    // a = (m b - c) 2^-114: under 2^-108 units of m from m, a midpoint when m >= 2^113.
    const U128 b = OddInteger(113);
    U128 inverse = b;  // b^-1 modulo 2^128: Newton's iteration doubles the 3 good bits of b
    for (int step = 0; step < 6; ++step) {
      inverse *= 2 - b * inverse;
    }
    const auto c = static_cast<__int128>(random() % 16) * 2 - 15;
    const U128 m = (static_cast<U128>(c) * inverse) & ((U128{1} << 114) - 1);
    // a = floor(m b / 2^114) (+1 for c < 0) from 57-bit halves, whose products fit 128 bits.
    const U128 low = (U128{1} << 57) - 1, mh = m >> 57, ml = m & low, bh = b >> 57, bl = b & low;
    const U128 a = mh * bh + ((mh * bl + ml * bh + ((ml * bl) >> 57)) >> 57) + (c < 0 ? 1 : 0);
    ASSERT_TRUE(Agree({kDiv}, Scaled(a, ea, Sign()), Scaled(b, eq, Sign())));
  }
}

TEST_F(QuadOps, SqrtPerfectSquaresAndNeighboursOfPowersOfTwo) {
  for (int i = 0; i < 40000 * kScale; ++i) {
    const U128 s = (random() >> (7 + random() % 57)) | 1;  // up to 57 bits
    if ((s * s) >> 113 == 0) {
      const Quad square = static_cast<Quad>(s * s);
      const auto even = 2 * static_cast<int32_t>(random() % 16000) - 16000;
      ASSERT_TRUE(Agree({kSqrt}, Make(false, Exponent(square) + even, Bits(square))));
    }
    const Quad power = Make(false, AnyNormalExponent(), 0);
    for (int n = -3; n <= 3; ++n) {
      ASSERT_TRUE(Agree({kSqrt}, Next(power, n)));
      ASSERT_TRUE(Agree({kSqrt}, Next(power, n) * Next(power, n)));
    }
  }
}

TEST_F(QuadOps, AllMatchOnSpecialValuesInEveryPairing) {
  // Zero, the smallest and largest subnormals, the two smallest normals, 0.5, 1, 1.5, 2, 3, half a
  // unit in the last place of the largest normal, the largest normal, infinity and a NaN.
  const U128 half = U128{1} << 111;
  // clang-format off
  const std::pair<int32_t, U128> magnitudes[] = {
      {0, 0}, {0, 1}, {0, kMask}, {1, 0}, {1, 1}, {kBias - 1, 0}, {kBias, 0}, {kBias, half},
      {kBias + 1, 0}, {kBias + 1, half}, {0x7ffe - 113, 0}, {0x7ffe, kMask}, {0x7fff, 0},
      {0x7fff, half}};
  // clang-format on
  std::vector<Quad> values;
  for (const auto& [biased, fraction] : magnitudes) {
    values.insert(values.end(), {Make(false, biased, fraction), Make(true, biased, fraction)});
  }
  for (Quad a : values) {
    for (Quad b : values) {
      ASSERT_TRUE(Agree({kAdd, kSub, kMul, kDiv, kSqrt}, a, b));
    }
    for (int i = 0; i < 500 * kScale; ++i) {
      const Quad c = Make(Sign(), AnyExponent(), Fraction());
      ASSERT_TRUE(Agree({kAdd, kSub, kMul, kDiv}, a, c));
      ASSERT_TRUE(Agree({kAdd, kSub, kMul, kDiv, kSqrt}, c, a));
    }
  }
}
