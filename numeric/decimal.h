#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "numeric/quad.h"

namespace kalvorden {

// Converts a decimal numeral in C syntax ("-72.5", "1.5e+2", "inf", "nan")
// to the nearest binary128 value (glibc's strtof128 is correctly rounded).
// The whole text must be consumed; the caller has already checked the
// syntax, so this only fails on text it should never be given.
bool ParseDecimal(const char* text, Quad* value);

// True for a decimal numeral as an engineer writes a quantity: an optional
// sign, digits with at most one decimal point (at least one digit), an
// optional exponent (e or E, an optional sign, digits). No blanks, no
// hexadecimal, no "inf" or "nan".
bool IsDecimalNumeral(std::string_view text);

// `text` without the blanks (spaces and tabs) before and after it: every
// door reads " 72.5 " as 72.5, as an engineer who pasted it expects.
std::string_view TrimBlanks(std::string_view text);

// The decimal exponents a caller writes out in full: p with least <= p <
// beyond. %g alone writes out only -4 <= p < the number of digits shown.
struct PlainExponents {
  int least;
  int beyond;
};

// The shortest decimal numeral that reads back as exactly `value`: the
// first of 1 to 36 significant digits that does (36 always do for binary128;
// glibc's strfromf128 and strtof128 are correctly rounded), written as %g
// writes it ("72.5", "-0", "1e-09", "inf", "nan") unless its exponent is in
// `plain`: then without one, "0.000015" for 1.5e-05 and "120" for 1.2e+02.
// A whole number so written shows all its digits exactly, which past 2^113
// need not be the shortest digits followed by zeros.
std::string ShortestExactDecimal(Quad value, PlainExponents plain);

// Where an entered value is shown in full, as the shortest exact decimal; each
// place writes plainly (without an exponent) the decimal exponents its
// readers expect, and these never change, so that a file written today reads
// the same as one written before:
enum class FullDecimalUse : uint8_t {
  kTable,    // the CSV table: plain from 10^-6 up to 10^36
  kPrinted,  // the PDF and its charts: as %g writes small values (10^-4), whole numbers to 10^36
  kWeb,      // the web page, its links and files: as a browser's script writes numbers,
             // 10^-7 up to 10^21
};
std::string FullDecimal(Quad value, FullDecimalUse use);

// The exact decimal value of `value`, every digit of it, without an
// exponent: "0.300000011920928955078125" for 0.3f widened. Exact for a value
// whose lowest set bit is 2^-100 or above (a binary fraction of k binary
// places has exactly k decimal places), which every widened single-precision
// constant of the design is; glibc's strfromf128 is correctly rounded.
std::string ExactDecimal(Quad value);

// |value| x 10^decimals rounded to the nearest whole number, halfway cases
// away from zero, computed exactly from the binary128 significand. `fits` is
// false for an infinity, a NaN, or a magnitude of 2^100 or more, none of
// which any fixed-width field can show.
struct ScaledDecimal {
  bool fits = false;
  bool negative = false;  // the sign bit of value (set for -0.0 as well)
  unsigned __int128 magnitude = 0;
};
// `decimals` is 0 to 4: the scaled significand must stay below 2^128.
ScaledDecimal RoundToDecimals(Quad value, int decimals);

// `value` to `digits` significant digits (1 to 17) exactly as glibc's
// strfromf128 writes it with "%.<digits>g" (correctly rounded, halfway cases
// to even): "39.6784428912", "1.5e-05", "-0", "inf". Most values are
// converted with one binary128 scaling by a power of ten instead of glibc's
// multiple-precision conversion, many times faster; a value within a
// rounding error of a halfway point is handed to glibc.
std::string SignificantDecimal(Quad value, int digits);

// The same text for 1 to 17 digits, written at `out`, which has room for
// kSignificantDecimalRoom characters; returns the end of the text, which is
// not terminated. The text is at most 26 characters
// ("-1.2345678901234567e-4966"); its digits are stored in whole words, so
// the characters after it, within the room, may have been written too.
constexpr int kSignificantDecimalRoom = 40;
char* WriteSignificantDecimal(char* out, Quad value, int digits);

// What a value other than zero prints as at `digits` significant digits:
// its sign, the whole number nearest |v| x 10^(digits - 1 - exponent)
// (10^(digits - 1) with the exponent one higher where the digits round up
// to 10^digits) and the decimal exponent of |v|.
struct SignificantDigits {
  uint64_t whole = 0;
  int exponent = 0;
  bool negative = false;
};
// Those digits written at `out` as WriteSignificantDecimal writes the value
// (1 to 16 digits), with the same room; returns the end of the text.
char* WriteSignificantDigits(char* out, const SignificantDigits& printed, int digits);

// A value written for a message to the engineer: up to eight significant
// digits, as many as a field of the dialogue can hold ("72.5", "1.44", "inf").
std::string FormatForMessage(Quad value);

// A whole count of 10^-decimals units written with that many decimals:
// 1025 with 3 decimals is "1.025", 7 with 2 is "0.07". `units` is not
// negative (millimetres, grams, hundredths of a kilogram).
std::string FixedUnitsText(int64_t units, int decimals);

// The last `count` decimal digits of `value`, leading zeros included,
// written so that they end at `end`, two at a time from a table (the
// writers of millions of fields use it); returns value / 10^count.
inline uint64_t PutDigitsBefore(char* end, uint64_t value, int count) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839404142434445"
      "46"
      "47484950515253545556575859606162636465666768697071727374757677787980818283848586878889909192"
      "93"
      "949596979899";
  for (; count >= 2; count -= 2) {
    const uint64_t pair = value % 100;
    value /= 100;
    end -= 2;
    std::memcpy(end, kPairs + 2 * pair, 2);
  }
  if (count == 1) {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return value;
}

// The eight decimal digits of `value` (below 10^8, leading zeros included)
// as the eight characters of a 64-bit word in memory order (x86-64 is little
// endian: the first digit in the lowest byte), made in a few whole-word
// operations instead of a division per digit or pair. Each lane stays within
// its bits: the two halves of four digits each in 32-bit lanes, divided by
// 100 as x 10486 / 2^20 (exact below 10^4, and 9999 x 10486 < 2^27); the four
// pairs in 16-bit lanes, divided by 10 as x 103 / 2^10 (exact below 100, and
// 99 x 103 < 2^14).
[[gnu::always_inline]] inline uint64_t EightDigitCharacters(uint32_t value) {
  static_assert(std::endian::native == std::endian::little);
  const uint64_t halves = (value / 10000) | (uint64_t{value % 10000} << 32);
  const uint64_t highPairs = ((halves * 10486) >> 20) & 0x0000007F0000007FULL;
  const uint64_t pairs = highPairs | ((halves - highPairs * 100) << 16);
  const uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FULL;
  const uint64_t digits = tens | ((pairs - tens * 10) << 8);
  return digits | 0x3030303030303030ULL;
}

// 10^0 to 10^19, every power of ten 64 bits hold.
inline constexpr auto kWholePowersOfTen = [] {
  std::array<uint64_t, 20> powers{};
  powers[0] = 1;
  for (size_t i = 1; i < powers.size(); ++i) {
    powers[i] = powers[i - 1] * 10;
  }
  return powers;
}();

// The number of decimal digits of `value` (1 for 0).
inline int DecimalDigitCount(uint64_t value) {
  if (value < 10) {
    return 1;
  }
  // 1233 / 4096 is log10(2) to four digits: the count or one less.
  const int estimate = ((64 - std::countl_zero(value | 1)) * 1233) >> 12;
  return estimate + (value >= kWholePowersOfTen[static_cast<size_t>(estimate)] ? 1 : 0);
}

}  // namespace kalvorden
