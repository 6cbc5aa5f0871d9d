// The binary128 helpers: square root, truncation, widening and decimal rounding.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "numeric/decimal.h"
#include "numeric/glibc_float128.h"
#include "numeric/quad.h"
#include "numeric/quad_ops.h"

using namespace kalvorden;
using U128 = unsigned __int128;
constexpr U128 kFractionMask = (U128{1} << 112) - 1;

static Quad Q(const char* text) {
  Quad value = 0;
  EXPECT_TRUE(ParseDecimal(text, &value)) << text;
  return value;
}

// A 256-bit unsigned integer as (high, low) halves; pair's < compares them.
using Wide = std::pair<U128, U128>;

static Wide Square(U128 a) {  // a < 2^115
  const U128 high = a >> 64, low = static_cast<uint64_t>(a), middle = 2 * high * low;
  const U128 lowSum = low * low + (middle << 64);
  return {high * high + (middle >> 64) + (lowSum < low * low ? 1 : 0), lowSum};
}

static Wide Shifted(U128 value, int shift) {  // value x 2^shift, 0 <= shift < 256
  return shift >= 128 ? Wide{value << (shift - 128), 0}
                      : Wide{shift == 0 ? 0 : value >> (128 - shift), value << shift};
}

// A finite non-negative value as significand x 2^exponent (subnormals too).
static std::pair<U128, int> Decompose(Quad value) {
  const U128 bits = std::bit_cast<U128>(value);
  const int biased = static_cast<int>(bits >> 112) & 0x7fff;
  return biased == 0 ? std::pair{bits & kFractionMask, -16494}
                     : std::pair{(bits & kFractionMask) | U128{1} << 112, biased - 16383 - 112};
}

// r = m 2^e (m of 113 bits) is the binary128 value nearest sqrt(x) exactly
// when x / 2^(2e-4) lies strictly between (4m - 2)^2 and (4m + 2)^2, the
// squares of the midpoints to its neighbours. For m = 2^112 the neighbour
// below is only half an ulp away: the lower bound is (4m - 1)^2. No square
// root is ever exactly a midpoint.
static bool IsNearestRoot(Quad x, Quad r) {
  const auto [xs, xe] = Decompose(x);
  const auto [m, e] = Decompose(r);
  const int shift = xe - (2 * e - 4);
  if (m >> 112 != 1 || shift < 0 || shift >= 256) {
    return false;
  }
  const Wide scaled = Shifted(xs, shift);
  const Wide below = Square(m == U128{1} << 112 ? 4 * m - 1 : 4 * m - 2);
  return below < scaled && scaled < Square(4 * m + 2);
}

TEST(SquareRoot, IsTheNearestBinary128ToTheExactRoot) {
  // Subnormals, the largest normal, 2^e and its neighbours, random numbers over the whole
  // range and over 2^-10 .. 2^27 (the design's M / R, spans and fc / 0.4), perfect squares.
  std::vector<U128> xs = {1, kFractionMask, U128{0x7ffe} << 112 | kFractionMask};
  for (U128 e : {1, 16382, 16383, 16384, 16385, 16484, 32766}) {
    xs.insert(xs.end(), {(e << 112) - 1, e << 112, (e << 112) + 1});
  }
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 200000; ++i) {
    const U128 biased = i % 2 != 0 ? 1 + random() % 0x7ffe : 16383 - 10 + random() % 38;
    xs.push_back(biased << 112 | ((static_cast<U128>(random()) << 64 | random()) & kFractionMask));
  }
  for (const char* text : {"2", "3", "144", "1e8", "0.001", "5192296858534827772645684405075969"}) {
    xs.push_back(std::bit_cast<U128>(Q(text)));  // the last one is (2^56 + 1)^2
  }
  for (U128 bits : xs) {
    const Quad x = std::bit_cast<Quad>(bits);
    ASSERT_TRUE(IsNearestRoot(x, SquareRoot(x))) << FormatForMessage(x);
  }
}

TEST(TruncateToInt32, TowardZeroWithOutOfRangeAsMinimum) {
  // clang-format off
  const std::pair<const char*, int32_t> cases[] = {
      {"2147483647.9", INT32_MAX}, {"-2147483648.9", INT32_MIN}, {"2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN}, {"inf", INT32_MIN}, {"-inf", INT32_MIN}, {"nan", INT32_MIN},
      {"-0.9", 0}, {"7.999", 7}, {"-7.999", -7}, {"1e30", INT32_MIN}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(TruncateToInt32(Q(text)), expected) << text;
  }
}

TEST(Widen, GivesTheExactSinglePrecisionValue) {
  // clang-format off
  const std::pair<float, const char*> cases[] = {
      {0.4f, "0.4000000059604644775390625"}, {4790.956f, "4790.9560546875"},
      {0.3f, "0.300000011920928955078125"}, {9.74f, "9.7399997711181640625"},
      {0.025f, "0.02500000037252902984619140625"}, {0.008f, "0.008000000379979610443115234375"},
      {0.61f, "0.61000001430511474609375"}, {0.0235631503f, "0.0235631503164768218994140625"},
      {0.1f, "0.100000001490116119384765625"}, {0.0001f, "0.0000999999974737875163555145263671875"},
      {0.999f, "0.999000012874603271484375"}, {0.67f, "0.670000016689300537109375"},
      {0.9999f, "0.99989998340606689453125"}, {1.98f, "1.980000019073486328125"},
      {2.01f, "2.0099999904632568359375"}, {2.98f, "2.980000019073486328125"},
      {3.01f, "3.0099999904632568359375"}, {0.8f, "0.800000011920928955078125"},
      {9.52f, "9.520000457763671875"}, {12.7f, "12.69999980926513671875"},
      {15.88f, "15.88000011444091796875"}, {57.33f, "57.3300018310546875"}};
  // clang-format on
  for (const auto& [value, exact] : cases) {
    EXPECT_EQ(Widen(value), Q(exact)) << exact;
  }
}

// The whole-word digit and conversion tricks against the plain ones.
TEST(WordTricks, EightDigitsAndExactDoubles) {
  std::mt19937_64 random(2026);
  for (int i = 0; i < 100000; ++i) {
    const uint32_t value = i < 100 ? static_cast<uint32_t>(i) * 1010101U % 100000000U
                                   : static_cast<uint32_t>(random() % 100000000U);
    const uint64_t word = EightDigitCharacters(value);
    char plain[9];
    std::snprintf(plain, sizeof plain, "%08u", value);
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(&word), 8), plain) << value;
  }
  const double doubles[] = {1,
                            -2.5,
                            0.1,
                            1e308,
                            -1e-307,
                            0x1p-1022,
                            0x1p-1074,
                            -0.0,
                            0,
                            INFINITY,
                            -INFINITY,
                            39.6784428912,
                            0x1.fffffffffffffp1023};
  for (const double value : doubles) {
    EXPECT_EQ(std::bit_cast<U128>(FromDouble(value)), std::bit_cast<U128>(static_cast<Quad>(value)))
        << value;
  }
  for (int i = 0; i < 100000; ++i) {
    const auto value = std::bit_cast<double>(static_cast<uint64_t>(random()));
    if (value == value) {  // not a NaN, whose payload the conversion may change
      ASSERT_EQ(std::bit_cast<U128>(FromDouble(value)),
                std::bit_cast<U128>(static_cast<Quad>(value)))
          << value;
    }
  }
}

static std::string Printed(Quad value, int decimals) {
  char text[80];
  strfromf128(text, sizeof text, ("%." + std::to_string(decimals) + "f").c_str(), value);
  return text;
}

// strfromf128 rounds the exact value correctly (ties to even), so away from
// ties its digits are the rounded magnitude.
TEST(RoundToDecimals, AgreesWithCorrectlyRoundedPrinting) {
  std::mt19937_64 random(19680);
  const Quad unit = Q("0x1p-112");
  const Quad scales[] = {Q("1"), Q("10"), Q("100"), Q("1000"), Q("10000")};
  for (int i = 0; i < 1000000; ++i) {
    const int decimals = 1 + i % 3;
    const auto fraction = (static_cast<U128>(random()) << 64 | random()) >> 16;
    const Quad magnitude = static_cast<Quad>(fraction) * unit * scales[random() % 5];
    const Quad value = random() % 2 != 0 ? -magnitude : magnitude;
    const ScaledDecimal result = RoundToDecimals(value, decimals);
    std::string digits = Printed(magnitude, decimals);
    digits.erase(digits.find('.'), 1);
    ASSERT_TRUE(result.fits && result.negative == (value < 0));
    if (result.magnitude != std::strtoull(digits.c_str(), nullptr, 10)) {
      const std::string longer = Printed(magnitude, decimals + 1);  // only a tie may differ
      ASSERT_TRUE(Q(longer.c_str()) == magnitude && longer.back() == '5') << longer;
    }
  }
}

TEST(RoundToDecimals, TiesAwayFromZeroAndValuesThatDoNotFit) {
  // clang-format off
  const struct { const char* value; int decimals; bool fits, negative; U128 magnitude; } cases[] = {
      {"0.125", 2, true, false, 13}, {"2.5", 0, true, false, 3}, {"0.0625", 3, true, false, 63},
      {"-2.5", 0, true, true, 3}, {"-0.0", 2, true, true, 0}, {"1e-4000", 3, true, false, 0},
      {"1267650600228229401496703205375", 0, true, false, (__int128{1} << 100) - 1},
      {"1267650600228229401496703205376", 0, false, false, 0},  // 2^100
      {"inf", 1, false, false, 0}, {"-inf", 1, false, true, 0}, {"nan", 1, false, false, 0}};
  // clang-format on
  for (const auto& c : cases) {
    const ScaledDecimal result = RoundToDecimals(Q(c.value), c.decimals);
    EXPECT_TRUE(result.fits == c.fits && result.negative == c.negative &&
                (!c.fits || result.magnitude == c.magnitude))
        << c.value;
  }
}

// Every digit of a binary fraction, as the method sheet prints the stored
// constants; a binary fraction of k places has k decimal places.
TEST(ExactDecimal, EveryDigitOfTheStoredValue) {
  const struct {
    Quad value;
    const char* exact;
  } cases[] = {
      {Widen(0.3f), "0.300000011920928955078125"},
      {Widen(0.0001f), "0.0000999999974737875163555145263671875"},
      {Widen(4790.956f), "4790.9560546875"},
      {200000, "200000"},
      {0.5, "0.5"},
      {-1.25, "-1.25"},
      {0, "0"},
      {Quad{1} / 1024 / 1024 / 1024 / 1024, "0.0000000000009094947017729282379150390625"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(kalvorden::ExactDecimal(c.value), c.exact) << c.exact;
  }
}

// The three notations in use: %g's own with whole numbers written out (the
// chart), everyday magnitudes without an exponent (CSV), and the page's
// 10^-7 to 10^21.
TEST(ShortestExactDecimal, NotationsAndExactReadBack) {
  constexpr PlainExponents kChart = {.least = -4, .beyond = 36};
  constexpr PlainExponents kCsv = {.least = -6, .beyond = 36};
  constexpr PlainExponents kPage = {.least = -7, .beyond = 21};
  // clang-format off
  const struct { const char* value; const char* chart; const char* csv; const char* page; } cases[] = {
      {"0", "0", "0", "0"},
      {"-0", "-0", "-0", "-0"},
      {"0.1", "0.1", "0.1", "0.1"},
      {"-72.5", "-72.5", "-72.5", "-72.5"},
      {"1.2e2", "120", "120", "120"},
      {"1e-5", "1e-05", "0.00001", "0.00001"},
      {"-2.5e-6", "-2.5e-06", "-0.0000025", "-0.0000025"},
      {"1.5e-7", "1.5e-07", "1.5e-07", "0.00000015"},
      {"1e-8", "1e-08", "1e-08", "1e-08"},
      {"1e20", "100000000000000000000", "100000000000000000000", "100000000000000000000"},
      {"1e21", "1000000000000000000000", "1000000000000000000000", "1e+21"},
      {"-1.5e30", "-1500000000000000000000000000000", "-1500000000000000000000000000000",
       "-1.5e+30"},
      {"1e36", "1e+36", "1e+36", "1e+36"},
      {"1e-4950", "1e-4950", "1e-4950", "1e-4950"},
      // 2^115: 34 digits identify it, but written out it shows its own 35.
      {"41538374868278621028243970633760768", "41538374868278621028243970633760768",
       "41538374868278621028243970633760768", "4.153837486827862102824397063376077e+34"},
      {"123456789012345678901234567890", "123456789012345678901234567890",
       "123456789012345678901234567890", "1.2345678901234567890123456789e+29"},
      // Values that 34, 35 and 36 significant digits identify.
      {"0.3333333333333333333333333333333333333", "0.3333333333333333333333333333333333",
       "0.3333333333333333333333333333333333", "0.3333333333333333333333333333333333"},
      {"0.45679015566666666666666666666666665", "0.45679015566666666666666666666666665",
       "0.45679015566666666666666666666666665", "0.45679015566666666666666666666666665"},
      {"1000.98576740873362620160078675239075", "1000.98576740873362620160078675239075",
       "1000.98576740873362620160078675239075", "1000.98576740873362620160078675239075"},
      {"inf", "inf", "inf", "inf"},
      {"-inf", "-inf", "-inf", "-inf"},
      {"nan", "nan", "nan", "nan"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Quad value = Q(c.value);
    EXPECT_EQ(ShortestExactDecimal(value, kChart), c.chart) << c.value;
    EXPECT_EQ(ShortestExactDecimal(value, kCsv), c.csv) << c.value;
    EXPECT_EQ(ShortestExactDecimal(value, kPage), c.page) << c.value;
  }
}

// For values of every magnitude the text reads back as the same bits in
// every notation, and rounded to one significant digit fewer it would not
// (checked in the page's notation, where a whole number written out is
// below 10^21 and so has no digits but the shortest and zeros).
TEST(ShortestExactDecimal, ReadsBackAndIsShortest) {
  std::mt19937_64 random(20261209);
  std::uniform_int_distribution<int> exponent(16383 - 130, 16383 + 130);
  for (int i = 0; i < 10000; ++i) {
    U128 bits = (U128{random()} << 64 | random()) & kFractionMask;
    bits |= static_cast<U128>(exponent(random) + (i % 2 == 0 ? 0 : 0x8000)) << 112;
    if (i % 4 == 1) {
      bits &= ~((U128{1} << 60) - 1);  // a double exactly
    } else if (i % 4 == 2) {
      bits &= ~((U128{1} << (40 + i % 70)) - 1);  // few significant bits: exact halfway cases
    }
    const Quad value = std::bit_cast<Quad>(bits);
    const std::string chart = ShortestExactDecimal(value, {.least = -4, .beyond = 36});
    ASSERT_EQ(std::bit_cast<U128>(Q(chart.c_str())), bits) << chart;
    const std::string page = ShortestExactDecimal(value, {.least = -7, .beyond = 21});
    ASSERT_EQ(std::bit_cast<U128>(Q(page.c_str())), bits) << page;
    std::string mantissa = page.substr(0, page.find('e'));
    if (mantissa.find('.') == std::string::npos) {
      mantissa.erase(mantissa.find_last_not_of('0') + 1);
    }
    const size_t first = mantissa.find_first_of("123456789");
    int digits = 0;
    for (size_t at = first; at < mantissa.size(); ++at) {
      digits += mantissa[at] == '.' ? 0 : 1;
    }
    if (digits > 1) {
      char format[16];
      char fewer[64];
      std::snprintf(format, sizeof format, "%%.%dg", digits - 1);
      strfromf128(fewer, sizeof fewer, format, value);
      EXPECT_NE(std::bit_cast<U128>(Q(fewer)), bits) << page;
    }
  }
}

static std::string GlibcG(Quad value, int digits) {
  char format[16];
  char text[64];
  std::snprintf(format, sizeof format, "%%.%dg", digits);
  strfromf128(text, sizeof text, format, value);
  return text;
}

// The fast conversion gives glibc's text for random values of every
// magnitude the scaling covers and beyond (a quarter of them doubles, as the
// working values printed from enclosures are), and for values on and next
// to halfway points, powers of ten and the notation's switch points.
TEST(SignificantDecimal, EqualsGlibcPercentG) {
  std::mt19937_64 random(2027);
  std::uniform_int_distribution<int> exponent(16383 - 200, 16383 + 200);
  for (int i = 0; i < 200000; ++i) {
    U128 bits = (U128{random()} << 64 | random()) & kFractionMask;
    bits |= static_cast<U128>(exponent(random) + (i % 2 == 0 ? 0 : 0x8000)) << 112;
    if (i % 4 == 1) {
      bits &= ~((U128{1} << 60) - 1);  // a double exactly
    } else if (i % 4 == 2) {
      bits &= ~((U128{1} << (40 + i % 70)) - 1);  // few significant bits: exact halfway cases
    }
    const Quad value = std::bit_cast<Quad>(bits);
    const int digits = i % 3 == 0 ? 12 : 1 + static_cast<int>(random() % 17);
    ASSERT_EQ(SignificantDecimal(value, digits), GlibcG(value, digits)) << GlibcG(value, 36);
  }
  const char* values[] = {"0",
                          "-0",
                          "inf",
                          "-inf",
                          "nan",
                          "1",
                          "10",
                          "1e11",
                          "1e12",
                          "999999999999",
                          "999999999999.5",
                          "9999999999995",
                          "0.0001",
                          "0.00001",
                          "1.5e-5",
                          "123456789012.5",
                          "2.5",
                          "0.125",
                          "1e-4950",
                          "1e4000",
                          "39.678442891234567",
                          "165.47500038146972656"};
  for (const char* text : values) {
    for (int digits = 1; digits <= 17; ++digits) {
      const Quad value = Q(text);
      for (const Quad near : {value, value + value * Q("1e-33"), value - value * Q("1e-33")}) {
        EXPECT_EQ(SignificantDecimal(near, digits), GlibcG(near, digits)) << text << " " << digits;
      }
    }
  }
}
