#include "report/printed_span.h"

#include <algorithm>

#include "design/span_sweep.h"
#include "numeric/decimal.h"
#include "report/field_edit.h"

namespace kalvorden {
namespace {

constexpr int32_t kLastIndex = kSpansPerCase - 1;
constexpr int32_t kLastMillimetres = kFirstSpanMillimetres + kSpanStepMillimetres * kLastIndex;
// The row's span field: 6 characters, 3 decimals.
constexpr int kSpanFieldWidth = 6;
constexpr int kSpanDecimals = 3;

// A decimal numeral read exactly: the value is 0.digits x 10^point, with
// `digits` free of leading and trailing zeros (empty for zero).
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int64_t point = 0;
};

// An exponent beyond this puts any numeral far outside the spans; reading
// stops growing it there, so no exponent text can overflow.
constexpr int64_t kExponentBound = 1000000;

// `numeral` has passed IsDecimalNumeral.
DecimalDigits ReadExactDecimal(std::string_view numeral) {
  DecimalDigits d;
  size_t i = 0;
  if (numeral[i] == '+' || numeral[i] == '-') {
    d.negative = numeral[i] == '-';
    ++i;
  }
  bool afterPoint = false;
  for (; i < numeral.size() && numeral[i] != 'e' && numeral[i] != 'E'; ++i) {
    if (numeral[i] == '.') {
      afterPoint = true;
    } else {
      d.digits += numeral[i];
      d.point += afterPoint ? 0 : 1;
    }
  }
  if (i < numeral.size()) {
    ++i;  // the e
    const bool negativeExponent = numeral[i] == '-';
    i += numeral[i] == '-' || numeral[i] == '+' ? 1 : 0;
    int64_t exponent = 0;
    for (; i < numeral.size(); ++i) {
      exponent = std::min(exponent * 10 + (numeral[i] - '0'), kExponentBound);
    }
    d.point += negativeExponent ? -exponent : exponent;
  }
  const size_t first = d.digits.find_first_not_of('0');
  if (first == std::string::npos) {
    d.digits.clear();
    return d;
  }
  d.digits.erase(0, first);
  d.point -= static_cast<int64_t>(first);
  d.digits.erase(d.digits.find_last_not_of('0') + 1);
  return d;
}

enum class Where : uint8_t { kBelow, kWithin, kAbove };

// Where a text lies on the span scale, decided on its exact decimal value.
struct SpanPlace {
  bool isNumber = false;
  Where where = Where::kBelow;
  int32_t ceiling = 0;  // the span in millimetres, rounded up (kWithin)
  bool whole = false;   // a whole number of millimetres
  std::string exact;    // "2.91" (kWithin)
};

SpanPlace LocateSpan(std::string_view text) {
  SpanPlace place;
  Quad value = 0;
  if (!IsDecimalNumeral(text) || !ParseDecimal(std::string(text).c_str(), &value) ||
      !IsFinite(value)) {
    return place;
  }
  place.isNumber = true;
  const DecimalDigits d = ReadExactDecimal(text);
  // 1.000 m to 3.750 m all have one digit before the point (point == 1).
  if (d.digits.empty() || d.negative || d.point < 1) {
    return place;
  }
  place.where = Where::kAbove;
  if (d.point > 1) {
    return place;
  }
  // The first four digits are the whole millimetres; any digit after them
  // is a fraction of one.
  constexpr size_t kMillimetreDigits = 4;
  std::string millimetres = d.digits.substr(0, kMillimetreDigits);
  millimetres.resize(kMillimetreDigits, '0');
  const int32_t whole = std::stoi(millimetres);
  place.whole = d.digits.size() <= kMillimetreDigits;
  if (whole > kLastMillimetres || (whole == kLastMillimetres && !place.whole)) {
    return place;
  }
  place.where = Where::kWithin;
  place.ceiling = whole + (place.whole ? 0 : 1);
  place.exact = d.digits.substr(0, 1) + (d.digits.size() > 1 ? "." + d.digits.substr(1) : "");
  return place;
}

}  // namespace

std::string PrintedSpan(int32_t index) {
  return FixedUnitsText(PrintedSpanMillimetres(index), 3);
}

std::string PrintedSpanOf(Quad spanLength) {
  return FixedText(spanLength, kSpanDecimals, kSpanFieldWidth);
}

GoverningSpan GoverningRow(std::string_view text) {
  const SpanPlace place = LocateSpan(TrimBlanks(text));
  GoverningSpan span;
  span.isNumber = place.isNumber;
  if (place.where != Where::kWithin) {
    return span;
  }
  // The first row whose millimetres are at or above the span's ceiling.
  span.row =
      (place.ceiling - kFirstSpanMillimetres + kSpanStepMillimetres - 1) / kSpanStepMillimetres;
  span.onRow = place.whole && (place.ceiling - kFirstSpanMillimetres) % kSpanStepMillimetres == 0;
  span.exact = place.exact;
  return span;
}

std::string GoverningRowReason(const GoverningSpan& span) {
  const std::string range = PrintedSpan(0) + " to " + PrintedSpan(kLastIndex) + " m";
  if (!span.isNumber) {
    return "not a number; a bridge's effective span is a decimal number of metres, " + range;
  }
  return "outside the effective spans the design covers, " + range;
}

}  // namespace kalvorden
