#include "numeric/decimal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "numeric/enclosure.h"
#include "numeric/glibc_float128.h"
#include "numeric/quad_ops.h"

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

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
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

namespace {

constexpr int kMostSignificantDigits = 17;
// Powers of ten up to 10^48 are exact in binary128 (5^48 < 2^113).
constexpr int kLargestExactPowerOfTen = 48;

Quad PowerOfTen(int power) {
  static const auto kPowers = [] {
    std::array<Quad, kLargestExactPowerOfTen + 1> powers{};
    powers[0] = 1;
    for (size_t i = 1; i < powers.size(); ++i) {
      powers[i] = powers[i - 1] * 10;
    }
    return powers;
  }();
  return kPowers[static_cast<size_t>(power)];
}

constexpr uint64_t WholePowerOfTen(int power) {
  uint64_t value = 1;
  for (int i = 0; i < power; ++i) {
    value *= 10;
  }
  return value;
}

// The digits of `whole` (exactly `count` of them) written as %g writes the
// value whole x 10^(exponent - count + 1): plain from 10^-4 to below
// 10^count, otherwise with an exponent of at least two digits; trailing
// zeros and a bare point dropped.
std::string ComposeG(bool negative, uint64_t whole, int exponent, int count) {
  char digits[24];
  for (int i = count - 1; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + whole % 10);
    whole /= 10;
  }
  int kept = count;  // digits up to the last that is not zero
  while (kept > 1 && digits[kept - 1] == '0') {
    --kept;
  }
  char text[48];
  char* out = text;
  if (negative) {
    *out++ = '-';
  }
  if (exponent >= -4 && exponent < count) {
    if (exponent < 0) {
      *out++ = '0';
      *out++ = '.';
      for (int i = -1; i > exponent; --i) {
        *out++ = '0';
      }
      out = std::copy(digits, digits + kept, out);
    } else {
      out = std::copy(digits, digits + exponent + 1, out);
      if (kept > exponent + 1) {
        *out++ = '.';
        out = std::copy(digits + exponent + 1, digits + kept, out);
      }
    }
    return std::string(text, out);
  }
  *out++ = digits[0];
  if (kept > 1) {
    *out++ = '.';
    out = std::copy(digits + 1, digits + kept, out);
  }
  *out++ = 'e';
  *out++ = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude >= 100) {
    *out++ = static_cast<char>('0' + magnitude / 100 % 10);
  }
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return std::string(text, out);
}

std::string GlibcSignificant(Quad value, int digits) {
  char format[16];
  std::snprintf(format, sizeof format, "%%.%dg", digits);
  char text[64];
  strfromf128(text, sizeof text, format, value);
  return text;
}

// The binary128 value of `bits` as a double, when it is a normal double
// exactly: its exponent within the double's normal range and no set bit
// below the double's 52 fraction bits.
std::optional<double> NormalDoubleOf(unsigned __int128 bits) {
  constexpr int kDroppedBits = quad_detail::kFractionBits - 52;
  const int exponent = static_cast<int>(quad_detail::BiasedExponent(bits)) - quad_detail::kBias;
  if (exponent < -1022 || exponent > 1023 ||
      (bits & ((static_cast<unsigned __int128>(1) << kDroppedBits) - 1)) != 0) {
    return std::nullopt;
  }
  const auto sign = static_cast<uint64_t>(bits >> 127);
  const auto fraction = static_cast<uint64_t>((bits & quad_detail::kFractionMask) >> kDroppedBits);
  const uint64_t biased = static_cast<uint32_t>(exponent + 1023);  // 1 to 2046
  return std::bit_cast<double>((sign << 63) | (biased << 52) | fraction);
}

}  // namespace

std::string SignificantDecimal(Quad value, int digits) {
  using quad_detail::U128;
  if (digits < 1 || digits > kMostSignificantDigits) {
    return GlibcSignificant(value, digits);
  }
  const U128 bits = quad_detail::Bits(value);
  const auto biased = static_cast<int>(quad_detail::BiasedExponent(bits));
  if (!quad_detail::IsNormalExponent(biased)) {
    return GlibcSignificant(value, digits);  // zero, subnormal, infinity, NaN
  }
  const bool negative = (bits >> 127) != 0;
  if (const std::optional<double> asDouble = NormalDoubleOf(bits)) {
    // A value that is a double, as each working value printed from its
    // enclosure is: its digits from the point interval [v, v], scaled in
    // hardware doubles, when that makes them certain (numeric/enclosure.cc
    // argues why). They are then the correctly rounded digits, and no
    // halfway case.
    SignificantDigits printed;
    if (CertainSignificantDigits({*asDouble, *asDouble}, digits, printed)) {
      if (printed.whole == WholePowerOfTen(digits)) {
        printed.whole = WholePowerOfTen(digits - 1);
        ++printed.exponent;
      }
      return ComposeG(negative, printed.whole, printed.exponent, digits);
    }
  }
  const Quad magnitude = quad_detail::FromBits(bits & ~(U128{1} << 127));
  // floor(log10(2) x the binary exponent), 78913 / 2^18 being log10(2) to
  // six digits: the decimal exponent or one less; the loop corrects it.
  int exponent = ((biased - quad_detail::kBias) * 78913) >> 18;
  const uint64_t least = WholePowerOfTen(digits - 1);
  const uint64_t beyond = WholePowerOfTen(digits);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int scale = digits - 1 - exponent;
    if (scale > kLargestExactPowerOfTen || -scale > kLargestExactPowerOfTen) {
      break;
    }
    // One correctly rounded operation: within 2^-113 of the exact scaled
    // value relative, so within 2^-56 of it when below 10^17 < 2^57.
    const Quad scaled =
        scale >= 0 ? Mul(magnitude, PowerOfTen(scale)) : Div(magnitude, PowerOfTen(-scale));
    const U128 scaledBits = quad_detail::Bits(scaled);
    const int shift = quad_detail::kBias + quad_detail::kFractionBits -
                      static_cast<int>(quad_detail::BiasedExponent(scaledBits));
    if (shift > quad_detail::kFractionBits) {
      --exponent;  // scaled < 1
      continue;
    }
    if (shift < quad_detail::kFractionBits - 56) {
      ++exponent;  // scaled >= 2^57
      continue;
    }
    // scaled = significand x 2^-shift, with 56 <= shift <= 112.
    const U128 significand = quad_detail::Significand(scaledBits);
    auto whole = static_cast<uint64_t>(significand >> shift);
    if (whole < least) {
      --exponent;
      continue;
    }
    if (whole >= beyond) {
      ++exponent;
      continue;
    }
    const U128 fraction = significand & ((U128{1} << shift) - 1);
    const U128 half = U128{1} << (shift - 1);
    // Within 2^-50 of halfway the rounding error might decide: glibc does.
    const U128 uncertain = U128{1} << (shift - 50);
    const U128 distance = fraction > half ? fraction - half : half - fraction;
    if (distance <= uncertain) {
      break;
    }
    if (fraction > half) {
      ++whole;
    }
    if (whole == beyond) {
      whole = least;
      ++exponent;
    }
    return ComposeG(negative, whole, exponent, digits);
  }
  return GlibcSignificant(value, digits);
}

std::string FormatForMessage(Quad value) {
  return SignificantDecimal(value, 8);
}

}  // namespace kalvorden
