#include "report/field_edit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "numeric/decimal.h"

namespace kalvorden {
namespace {

void FillAsterisks(int width, char* field) {
  std::memset(field, '*', static_cast<size_t>(width));
}

// Right-aligns `length` characters that end at `textEnd` in the field.
void PlaceRight(const char* textEnd, int length, int width, char* field) {
  if (length > width) {
    FillAsterisks(width, field);
    return;
  }
  std::memset(field, ' ', static_cast<size_t>(width - length));
  std::memcpy(field + (width - length), textEnd - length, static_cast<size_t>(length));
}

// Takes the last decimal digit off `rest`. A value that fits 64 bits (every
// value a field can show) is divided in 64-bit arithmetic, which the
// compiler turns into a multiplication; a 128-bit division is a library call.
int PopDigit(unsigned __int128& rest) {
  if ((rest >> 64) == 0) {
    const auto narrow = static_cast<uint64_t>(rest);
    rest = narrow / 10;
    return static_cast<int>(narrow % 10);
  }
  const auto digit = static_cast<int>(rest % 10);
  rest /= 10;
  return digit;
}

}  // namespace

void EditFixed(Quad value, int width, int decimals, char* field) {
  const ScaledDecimal scaled = RoundToDecimals(value, decimals);
  if (!scaled.fits) {
    FillAsterisks(width, field);
    return;
  }
  // The text is built from its last character backwards.
  char text[64];
  char* const end = text + sizeof text;
  char* cursor = end;
  unsigned __int128 rest = scaled.magnitude;
  for (int i = 0; i < decimals; ++i) {
    *--cursor = static_cast<char>('0' + PopDigit(rest));
  }
  *--cursor = '.';
  const bool hasIntegerDigits = rest != 0;
  while (rest != 0 && cursor > text + 1) {
    *--cursor = static_cast<char>('0' + PopDigit(rest));
  }
  if (rest != 0) {
    FillAsterisks(width, field);  // more digits than any field holds
    return;
  }
  const bool negative = scaled.negative && scaled.magnitude != 0;
  int length = static_cast<int>(end - cursor) + (negative ? 1 : 0);
  if (!hasIntegerDigits && length + 1 <= width) {
    *--cursor = '0';
    ++length;
  }
  if (negative) {
    *--cursor = '-';
  }
  PlaceRight(end, length, width, field);
}

void EditInteger(int32_t value, int width, char* field) {
  // Seven integers a row: written straight into the field from its right
  // end, blanks before them, asterisks over all of it when they overflow;
  // no calls to memset and memcpy, which cost more than the digits.
  // The magnitude is unsigned: -2147483648 has no 32-bit positive one.
  uint32_t magnitude = value < 0 ? 0U - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  int column = width;
  do {
    if (column == 0) {
      FillAsterisks(width, field);
      return;
    }
    field[--column] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) {
    if (column == 0) {
      FillAsterisks(width, field);
      return;
    }
    field[--column] = '-';
  }
  while (column > 0) {
    field[--column] = ' ';
  }
}

std::string FixedText(Quad value, int decimals, int width) {
  // 2^100 has 31 digits; with a sign, a point and 4 decimals, 37 fit.
  char field[kWideField];
  width = std::clamp(width, 1, kWideField);
  EditFixed(value, width, decimals, field);
  const std::string_view text(field, static_cast<size_t>(width));
  return std::string(text.substr(std::min(text.find_first_not_of(' '), text.size())));
}

}  // namespace kalvorden
