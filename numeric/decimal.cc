#include "numeric/decimal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "numeric/glibc_float128.h"

namespace kalvorden {

bool ParseDecimal(const char* text, Quad* value) {
  char* end = nullptr;
  const Quad parsed = strtof128(text, &end);
  if (end == text || *end != '\0') {
    return false;
  }
  *value = parsed;
  return true;
}

bool IsDecimalNumeral(std::string_view text) {
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (isDigit(text[i])) {
      ++digits;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) {
    return false;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      ++i;
    }
    size_t exponentDigits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
      ++exponentDigits;
    }
    if (exponentDigits == 0) {
      return false;
    }
  }
  return i == text.size();
}

std::string ExactDecimal(Quad value) {
  char text[160];
  strfromf128(text, sizeof text, "%.100f", value);
  std::string exact = text;
  if (exact.find('.') != std::string::npos) {
    exact.erase(exact.find_last_not_of('0') + 1);
    if (exact.back() == '.') {
      exact.pop_back();
    }
  }
  return exact;
}

std::string FullDecimal(Quad value, FullDecimalUse use) {
  constexpr PlainExponents kPlain[] = {
      {.least = -6, .beyond = 36}, {.least = -4, .beyond = 36}, {.least = -7, .beyond = 21}};
  return ShortestExactDecimal(value, kPlain[static_cast<size_t>(use)]);
}

std::string ShortestExactDecimal(Quad value, PlainExponents plain) {
  constexpr int kMostDigits = 36;
  char text[64];
  char format[16];
  // Rounding to more digits only moves the text closer to the value, so the
  // first precision that reads back exactly is the shortest. At that
  // precision %g drops no trailing zero, so the text has exactly `digits`
  // significant digits.
  int digits = 1;
  for (; digits <= kMostDigits; ++digits) {
    std::snprintf(format, sizeof format, "%%.%dg", digits);
    strfromf128(text, sizeof text, format, value);
    Quad back = 0;
    if (!IsFinite(value) || (ParseDecimal(text, &back) && back == value)) {
      break;
    }
  }
  const char* exponent = std::strchr(text, 'e');
  if (exponent == nullptr || !IsFinite(value)) {
    return text;
  }
  const long power = std::strtol(exponent + 1, nullptr, 10);
  if (power < plain.least || power >= plain.beyond) {
    return text;
  }
  // The same digits with the point written out: %f rounds at the same
  // decimal place as %g did. A numeral with an exponent of at least `digits`
  // names a whole number (below 2^113 every whole number is exact, above it
  // every value is whole), which %.0f writes exactly.
  const long decimals = std::max(0L, digits - 1 - power);
  std::snprintf(format, sizeof format, "%%.%ldf", decimals);
  // Sized by the conversion itself: a wide `plain` can ask for many zeros.
  std::string written(static_cast<size_t>(strfromf128(nullptr, 0, format, value)), '\0');
  strfromf128(written.data(), written.size() + 1, format, value);
  return written;
}

ScaledDecimal RoundToDecimals(Quad value, int decimals) {
  using U128 = unsigned __int128;
  U128 bits;
  static_assert(sizeof bits == sizeof value);
  std::memcpy(&bits, &value, sizeof bits);

  ScaledDecimal result;
  result.negative = (bits >> 127) != 0;
  const int biasedExponent = static_cast<int>((bits >> 112) & 0x7fff);
  const U128 fraction = bits & ((U128{1} << 112) - 1);
  if (biasedExponent == 0x7fff) {
    return result;  // infinity or NaN
  }

  // value = significand x 2^exponent, with significand < 2^113.
  U128 significand = fraction;
  int exponent = -16494;  // subnormal scale
  if (biasedExponent != 0) {
    significand |= U128{1} << 112;
    exponent = biasedExponent - 16383 - 112;
  }
  if (exponent > -13) {
    return result;  // |value| >= 2^100 (or exactly representable integers that large)
  }

  U128 powerOfTen = 1;
  for (int i = 0; i < decimals; ++i) {
    powerOfTen *= 10;
  }
  // significand < 2^113 and 10^4 < 2^14, so the product stays below 2^127.
  const U128 scaled = significand * powerOfTen;
  const int shift = -exponent;
  if (shift >= 128) {
    // The scaled value is below 2^127 / 2^128 = 1/2: it rounds to zero.
    result.fits = true;
    return result;
  }
  const U128 whole = scaled >> shift;
  const U128 remainder = scaled & ((U128{1} << shift) - 1);
  const U128 half = U128{1} << (shift - 1);
  result.magnitude = remainder >= half ? whole + 1 : whole;
  result.fits = true;
  return result;
}

std::string FormatForMessage(Quad value) {
  char buffer[64];
  strfromf128(buffer, sizeof buffer, "%.8g", value);
  return buffer;
}

}  // namespace kalvorden
