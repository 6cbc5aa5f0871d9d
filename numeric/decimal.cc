#include "numeric/decimal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// The most digits written at `out` (within kSignificantDecimalRoom), and the
// most composed here; 17 are glibc's.
constexpr int kMostSignificantDigits = 17;
constexpr int kMostComposedDigits = 16;
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

// 10^power for power 0 to 19.
uint64_t WholePowerOfTen(int power) {
  return kWholePowersOfTen[static_cast<size_t>(power)];
}

using U128 = unsigned __int128;

// The `count` digits of `whole` (1 to 16 of them, the first not zero) as
// characters in the bytes of a 128-bit word, the first digit lowest, zero
// bytes after the last.
U128 DigitCharacters(uint64_t whole, int count) {
  constexpr uint64_t kTenTo8 = 100000000;
  if (count <= 8) {
    return EightDigitCharacters(static_cast<uint32_t>(whole)) >> (8 * (8 - count));
  }
  const uint64_t first =
      EightDigitCharacters(static_cast<uint32_t>(whole / kTenTo8)) >> (8 * (16 - count));
  const uint64_t last = EightDigitCharacters(static_cast<uint32_t>(whole % kTenTo8));
  return U128{first} | (U128{last} << (8 * (count - 8)));
}

// The number of `digits`' characters up to the last that is not '0': the
// highest byte whose low four bits, the digit, are not zero.
int DigitsUpToLastNotZero(U128 digits) {
  constexpr uint64_t kLowNibbles = 0x0F0F0F0F0F0F0F0FULL;
  const U128 values = digits & ((U128{kLowNibbles} << 64) | kLowNibbles);
  const auto high = static_cast<uint64_t>(values >> 64);
  const int highestBit = high != 0 ? 127 - std::countl_zero(high)
                                   : 63 - std::countl_zero(static_cast<uint64_t>(values));
  return highestBit / 8 + 1;
}

// The first `shown` of the digits, with a point after the first `integral`
// of them (integral under shown), at `out`; returns the end. The text is
// made in the word and stored whole (17 characters are written).
char* PutDigitsWithPoint(char* out, U128 digits, int integral, int shown) {
  const U128 before = (U128{1} << (8 * integral)) - 1;
  const U128 text = (digits & before) | (U128{'.'} << (8 * integral)) | ((digits & ~before) << 8);
  std::memcpy(out, &text, sizeof text);
  out[sizeof text] = static_cast<char>(digits >> 120);  // a sixteenth digit, past the word
  return out + shown + 1;
}

// The digits of `whole` (exactly `count` of them, at most 16) written at
// `out` as %g writes the value whole x 10^(exponent - count + 1): plain from
// 10^-4 to below 10^count, otherwise with an exponent of at least two
// digits; trailing zeros and a bare point dropped. Returns the end of the
// text; the characters after it, within kSignificantDecimalRoom, may have
// been written too.
char* ComposeG(char* out, bool negative, uint64_t whole, int exponent, int count) {
  const U128 digits = DigitCharacters(whole, count);
  const int kept = DigitsUpToLastNotZero(digits);
  if (negative) {
    *out++ = '-';
  }
  if (exponent >= -4 && exponent < count) {
    if (exponent < 0) {
      out = std::copy_n("0.000", 1 - exponent, out);
      std::memcpy(out, &digits, sizeof digits);
      return out + kept;
    }
    // The whole part in full, its zeros too; the fraction to its last digit
    // that is not zero.
    const int integral = exponent + 1;
    if (kept <= integral) {
      std::memcpy(out, &digits, sizeof digits);
      return out + integral;
    }
    return PutDigitsWithPoint(out, digits, integral, kept);
  }
  if (kept == 1) {
    *out++ = static_cast<char>(digits);
  } else {
    out = PutDigitsWithPoint(out, digits, 1, kept);
  }
  *out++ = 'e';
  *out++ = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude >= 100) {
    *out++ = static_cast<char>('0' + magnitude / 100 % 10);
  }
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

// glibc's own conversion, for the values the quick one leaves: written at
// `out`, which has room for kSignificantDecimalRoom characters.
char* GlibcSignificant(char* out, Quad value, int digits) {
  char format[16];
  std::snprintf(format, sizeof format, "%%.%dg", digits);
  const int length = strfromf128(out, kSignificantDecimalRoom, format, value);
  return out + std::min(length, kSignificantDecimalRoom - 1);
}

// The digits %.<digits>g writes for |value| = significand x 2^binaryExponent
// (significand not zero), computed exactly in whole numbers where they fit
// 128 bits: the significand without its trailing zero bits below 2^64 (a
// double, say, or any value of at most 64 significant bits) and |value| x
// 10^s, s = digits - 1 - e, with 0 <= s <= 27 (from about 10^(digits - 28)
// to 10^digits), so that significand x 5^s stays below 2^127. Then
// |value| x 10^s = significand x 5^s x 2^(binaryExponent + s) exactly, its
// whole part and remainder are exact, and the nearest whole number (halfway
// cases to even, as glibc rounds in the default rounding mode) is the
// correctly rounded digits. False where the value is outside that range.
bool ExactSignificantDigits(U128 significand, int binaryExponent, int digits, uint64_t& whole,
                            int& exponent) {
  static constexpr auto kPowersOfFive = [] {
    std::array<uint64_t, 28> powers{};
    powers[0] = 1;
    for (size_t i = 1; i < powers.size(); ++i) {
      powers[i] = powers[i - 1] * 5;  // 5^27 < 2^63
    }
    return powers;
  }();
  const auto lowBits = static_cast<uint64_t>(significand);
  const int trailing = lowBits != 0
                           ? std::countr_zero(lowBits)
                           : 64 + std::countr_zero(static_cast<uint64_t>(significand >> 64));
  significand >>= trailing;
  binaryExponent += trailing;
  if ((significand >> 64) != 0) {
    return false;
  }
  const auto odd = static_cast<uint64_t>(significand);
  const int topBit = binaryExponent + 63 - std::countl_zero(odd);
  // floor(log10(2) x topBit): the decimal exponent or one less.
  exponent = (topBit * 78913) >> 18;
  const uint64_t least = WholePowerOfTen(digits - 1);
  const uint64_t beyond = WholePowerOfTen(digits);
  for (int attempt = 0; attempt < 4; ++attempt) {
    const int scale = digits - 1 - exponent;
    if (scale < 0 || scale >= static_cast<int>(kPowersOfFive.size())) {
      return false;
    }
    const U128 product = U128{odd} * kPowersOfFive[static_cast<size_t>(scale)];
    const int shift = binaryExponent + scale;  // |value| x 10^s = product x 2^shift
    U128 truncated = 0;
    U128 remainder = 0;
    U128 half = 0;
    if (shift >= 0) {
      if (shift >= 64) {
        ++exponent;  // at least 2^64, beyond any 17 digits
        continue;
      }
      truncated = product << shift;  // below 2^127 x 2^63 overflows only when already beyond
      if ((truncated >> shift) != product) {
        ++exponent;
        continue;
      }
    } else {
      if (shift <= -127) {
        --exponent;  // below 1
        continue;
      }
      truncated = product >> -shift;
      remainder = product & ((U128{1} << -shift) - 1);
      half = U128{1} << (-shift - 1);
    }
    if (truncated < least) {
      --exponent;
      continue;
    }
    if (truncated >= beyond) {
      ++exponent;
      continue;
    }
    whole = static_cast<uint64_t>(truncated);
    if (remainder > half || (remainder == half && half != 0 && (whole & 1) != 0)) {
      ++whole;
    }
    if (whole == beyond) {
      whole = least;
      ++exponent;
    }
    return true;
  }
  return false;
}

}  // namespace

std::string SignificantDecimal(Quad value, int digits) {
  if (digits < 1 || digits > kMostSignificantDigits) {
    char format[16];
    std::snprintf(format, sizeof format, "%%.%dg", digits);
    char text[64];
    strfromf128(text, sizeof text, format, value);
    return text;
  }
  char text[kSignificantDecimalRoom];
  return std::string(text, WriteSignificantDecimal(text, value, digits));
}

char* WriteSignificantDecimal(char* out, Quad value, int digits) {
  using quad_detail::U128;
  const U128 bits = quad_detail::Bits(value);
  const auto biased = static_cast<int>(quad_detail::BiasedExponent(bits));
  if (!quad_detail::IsNormalExponent(biased) || digits > kMostComposedDigits) {
    return GlibcSignificant(out, value, digits);  // zero, subnormal, infinity, NaN; 17 digits
  }
  const bool negative = (bits >> 127) != 0;
  // A value of few significant bits, as each working value printed from its
  // enclosure is (a double): its digits exactly, in whole numbers.
  uint64_t printedWhole = 0;
  int printedExponent = 0;
  if (ExactSignificantDigits(quad_detail::Significand(bits),
                             biased - quad_detail::kBias - quad_detail::kFractionBits, digits,
                             printedWhole, printedExponent)) {
    return ComposeG(out, negative, printedWhole, printedExponent, digits);
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
    return ComposeG(out, negative, whole, exponent, digits);
  }
  return GlibcSignificant(out, value, digits);
}

char* WriteSignificantDigits(char* out, const SignificantDigits& printed, int digits) {
  return ComposeG(out, printed.negative, printed.whole, printed.exponent, digits);
}

std::string FormatForMessage(Quad value) {
  return SignificantDecimal(value, 8);
}

std::string FixedUnitsText(int64_t units, int decimals) {
  std::string text(static_cast<size_t>(decimals) + 1, '.');
  const uint64_t whole =
      PutDigitsBefore(text.data() + text.size(), static_cast<uint64_t>(units), decimals);
  return std::to_string(whole) + text;
}

}  // namespace kalvorden
