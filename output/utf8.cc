#include "output/utf8.h"

#include <algorithm>
#include <utility>

namespace kalvorden {
namespace {

// The lowest and highest second byte after `lead` (the rest are 80 to BF):
// these ranges exclude overlong forms, the surrogates and values above
// U+10FFFF. {0, 0} for a byte that cannot begin a sequence of two or more.
std::pair<unsigned, unsigned> SecondByteRange(unsigned lead) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    return {0x80, 0xBF};
  }
  switch (lead) {
    case 0xE0:
      return {0xA0, 0xBF};
    case 0xED:
      return {0x80, 0x9F};
    case 0xF0:
      return {0x90, 0xBF};
    case 0xF4:
      return {0x80, 0x8F};
    default:
      break;
  }
  if ((lead >= 0xE1 && lead <= 0xEF) || (lead >= 0xF1 && lead <= 0xF3)) {
    return {0x80, 0xBF};
  }
  return {0, 0};
}

// The bytes of the multi-byte sequence at the front of `text` that are
// valid so far, and in `expected` the length its lead byte calls for.
size_t ValidPrefix(std::string_view text, size_t& expected) {
  const auto lead = static_cast<unsigned char>(text[0]);
  expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  const auto [low, high] = SecondByteRange(lead);
  if (low == 0) {
    return 0;
  }
  size_t length = 1;
  for (; length < expected && length < text.size(); ++length) {
    const auto byte = static_cast<unsigned char>(text[length]);
    const unsigned min = length == 1 ? low : 0x80;
    const unsigned max = length == 1 ? high : 0xBF;
    if (byte < min || byte > max) {
      break;
    }
  }
  return length;
}

}  // namespace

Utf8Character ReadUtf8(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) {
    return {1, lead};
  }
  size_t expected = 0;
  if (ValidPrefix(text, expected) != expected) {
    return {};
  }
  // The lead byte's payload bits, then six from each continuation byte.
  uint32_t code = lead & (0x7FU >> expected);
  for (size_t i = 1; i < expected; ++i) {
    code = code << 6U | (static_cast<unsigned char>(text[i]) & 0x3FU);
  }
  return {expected, code};
}

size_t Utf8FaultLength(std::string_view text) {
  size_t expected = 0;
  return std::max<size_t>(1, ValidPrefix(text, expected));
}

bool IsControlCharacter(uint32_t code) {
  return code < 0x20 || (code >= 0x7F && code < 0xA0);
}

bool IsNoncharacter(uint32_t code) {
  return (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFEU) == 0xFFFEU;
}

}  // namespace kalvorden
