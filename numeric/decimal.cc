#include "numeric/decimal.h"

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
