#include "driver/field_input.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "numeric/decimal.h"

namespace kalvorden {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Characters skipped before a number starts.
bool IsLeadingSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsExponentLetter(char c) {
  switch (c) {
    case 'E':
    case 'e':
    case 'D':
    case 'd':
    case 'Q':
    case 'q':
      return true;
    default:
      return false;
  }
}

// `word` is in lower case.
bool EqualsIgnoringCase(std::string_view text, std::string_view word) {
  return std::ranges::equal(
      text, word, [](char c, char w) { return std::tolower(static_cast<unsigned char>(c)) == w; });
}

// Appends a run of digits from `text` at `position` to `out`; returns how
// many there were.
size_t TakeDigits(std::string_view text, size_t& position, std::string& out) {
  const size_t start = position;
  while (position < text.size() && IsDigit(text[position])) {
    out += text[position++];
  }
  return position - start;
}

}  // namespace

std::string_view CutNumericField(const AnswerLine& line, int width) {
  const size_t limit =
      static_cast<size_t>(width) < line.length ? static_cast<size_t>(width) : line.length;
  size_t length = 0;
  while (length < limit && line.text[length] != ',') {
    ++length;
  }
  return std::string_view(line.text, length);
}

bool ConvertIntegerField(std::string_view field, int32_t& value) {
  size_t i = 0;
  while (i < field.size() && field[i] == ' ') {
    ++i;
  }
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  int64_t magnitude = 0;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (c == ' ') {
      continue;
    }
    if (!IsDigit(c)) {
      return false;
    }
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > int64_t{INT32_MAX} + 1) {
      return false;  // only a field far wider than a count could get here
    }
  }
  const int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT32_MAX) {
    return false;
  }
  value = static_cast<int32_t>(signedValue);
  return true;
}

bool ConvertNumberField(std::string_view field, Quad& value) {
  size_t start = 0;
  while (start < field.size() && IsLeadingSpace(field[start])) {
    ++start;
  }
  // From here on a blank is ignored wherever it stands; any other character
  // outside the number's syntax (a tab included) is an error.
  std::string text(field.substr(start));
  std::erase(text, ' ');
  if (text.empty()) {
    value = 0;
    return true;
  }

  std::string numeral;
  size_t p = 0;
  if (text[p] == '+' || text[p] == '-') {
    if (text[p] == '-') {
      numeral += '-';
    }
    ++p;
  }

  const std::string_view word = std::string_view(text).substr(p);
  if (EqualsIgnoringCase(word, "inf") || EqualsIgnoringCase(word, "infinity")) {
    return ParseDecimal((numeral + "inf").c_str(), &value);
  }
  if (EqualsIgnoringCase(word, "nan")) {
    return ParseDecimal((numeral + "nan").c_str(), &value);
  }

  std::string integerDigits;
  std::string fractionDigits;
  const size_t integerCount = TakeDigits(text, p, integerDigits);
  size_t fractionCount = 0;
  if (p < text.size() && text[p] == '.') {
    ++p;
    fractionCount = TakeDigits(text, p, fractionDigits);
  }
  if (integerCount + fractionCount == 0) {
    return false;  // a sign or a point without digits
  }

  std::string exponent;
  if (p < text.size() && (IsExponentLetter(text[p]) || text[p] == '+' || text[p] == '-')) {
    if (IsExponentLetter(text[p])) {
      ++p;
    }
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
      exponent += text[p++];
    }
    if (TakeDigits(text, p, exponent) == 0) {
      return false;  // an exponent needs digits
    }
  }
  if (p != text.size()) {
    return false;
  }

  numeral += integerDigits.empty() ? "0" : integerDigits;
  if (!fractionDigits.empty()) {
    numeral += '.';
    numeral += fractionDigits;
  }
  if (!exponent.empty()) {
    numeral += 'e';
    numeral += exponent;
  }
  return ParseDecimal(numeral.c_str(), &value);
}

Fault ReadTextField(Console& console, int width, std::string& text) {
  AnswerLine line;
  if (!ReadAnswerLine(console, line)) {
    return EndOfFileFault();
  }
  const size_t wanted = static_cast<size_t>(width);
  text.assign(line.text, line.length < wanted ? line.length : wanted);
  text.resize(wanted, ' ');
  return {};
}

Fault ReadIntegerField(Console& console, int width, int32_t& value) {
  AnswerLine line;
  if (!ReadAnswerLine(console, line)) {
    return EndOfFileFault();
  }
  if (!ConvertIntegerField(CutNumericField(line, width), value)) {
    return ConversionFault();
  }
  return {};
}

Fault ReadNumberField(Console& console, int width, Quad& value) {
  AnswerLine line;
  if (!ReadAnswerLine(console, line)) {
    return EndOfFileFault();
  }
  if (!ConvertNumberField(CutNumericField(line, width), value)) {
    return ConversionFault();
  }
  return {};
}

}  // namespace kalvorden
