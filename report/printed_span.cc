#include "report/printed_span.h"

#include "design/span_sweep.h"
#include "numeric/decimal.h"
#include "report/field_edit.h"

namespace kalvorden {
namespace {

constexpr int32_t kFirstSpanMillimetres = 1000;
constexpr int32_t kSpanStepMillimetres = 25;
constexpr int32_t kLastIndex = kSpansPerCase - 1;
// The row's span field: 6 characters, 3 decimals.
constexpr int kSpanFieldWidth = 6;
constexpr int kSpanDecimals = 3;

}  // namespace

std::string PrintedSpan(int32_t index) {
  const int32_t millimetres = kFirstSpanMillimetres + kSpanStepMillimetres * index;
  std::string text = std::to_string(millimetres / 1000) + ".";
  const std::string fraction = std::to_string(1000 + millimetres % 1000);
  return text + fraction.substr(1);
}

std::string PrintedSpanOf(Quad spanLength) {
  char field[kSpanFieldWidth];
  EditFixed(spanLength, kSpanFieldWidth, kSpanDecimals, field);
  const std::string_view text(field, sizeof field);
  const size_t first = text.find_first_not_of(' ');
  return std::string(first == std::string_view::npos ? std::string_view() : text.substr(first));
}

SpanChoice ChooseSpan(std::string_view text) {
  SpanChoice choice;
  Quad value = 0;
  if (!IsDecimalNumeral(text) || !ParseDecimal(std::string(text).c_str(), &value) ||
      !IsFinite(value)) {
    return choice;
  }
  choice.isNumber = true;
  // The index the value would have on the span scale; it decides only which
  // printed spans to compare with and to name.
  const Quad position = (value - 1) * 40;
  int32_t below = 0;
  if (position >= kLastIndex) {
    below = kLastIndex;
  } else if (position > 0) {
    below = TruncateToInt32(position);
  }
  for (int32_t candidate = below; candidate <= below + 1 && candidate <= kLastIndex; ++candidate) {
    Quad printed = 0;
    if (ParseDecimal(PrintedSpan(candidate).c_str(), &printed) && printed == value) {
      choice.index = candidate;
      return choice;
    }
  }
  choice.lower = below < kLastIndex ? below : kLastIndex - 1;
  choice.upper = choice.lower + 1;
  return choice;
}

std::string SpanChoiceReason(const SpanChoice& choice) {
  const std::string spans = "the spans are " + PrintedSpan(0) + ", " + PrintedSpan(1) + ", ..., " +
                            PrintedSpan(kLastIndex) + " m";
  if (!choice.isNumber) {
    return "not a finite number; " + spans;
  }
  return "not one of the designed spans; the nearest are " + PrintedSpan(choice.lower) + " and " +
         PrintedSpan(choice.upper) + " (" + spans + ")";
}

}  // namespace kalvorden
