#include "web/design_query.h"

#include <algorithm>
#include <cstdio>

#include "numeric/decimal.h"

namespace kalvorden {
namespace {

// The dialogue's typical values, shown as placeholders on the form.
constexpr ValueFieldInfo kFields[kValueFieldCount] = {
    {"wheel-load", "Wheel load", "kN", false, {"72.5", "", "", "", ""}},
    {"top-cover", "Top cover", "mm", false, {"50", "60", "65", "70", ""}},
    {"paving", "Future paving", "kN/m\u00b2", false, {"1.44", "", "", "", ""}},
    {"fs", "Allowable steel stress fs", "MPa", true, {"170", "", "", "", ""}},
    {"fc", "Allowable concrete stress fc", "MPa", true, {"10", "", "", "", ""}},
};

// The messages; the page's script shows the same words.
constexpr std::string_view kNotANumber = "Enter a number, such as 72.5.";
constexpr std::string_view kDecimalComma = "Use a decimal point: 72.5, not 72,5.";
constexpr std::string_view kNotFinite = "Too large: enter a finite number.";
constexpr std::string_view kNotAboveZero = "Must be above zero.";
constexpr std::string_view kNegative = "Must not be negative.";
constexpr std::string_view kMissing = "Enter at least one value.";
constexpr std::string_view kOneValue = "The calculation sheet takes exactly one value here.";

constexpr int32_t kFirstSpanMillimetres = 1000;
constexpr int32_t kLastSpanMillimetres = 3750;
constexpr int32_t kSpanStepMillimetres = 25;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// Decodes one name or value: "+" is a blank, %XX a byte. False for a "%"
// without two hexadecimal digits.
bool PercentDecode(std::string_view text, std::string& decoded) {
  decoded.clear();
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      decoded += ' ';
    } else if (c != '%') {
      decoded += c;
    } else {
      if (i + 2 >= text.size()) {
        return false;
      }
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high < 0 || low < 0) {
        return false;
      }
      decoded += static_cast<char>(high * 16 + low);
      i += 2;
    }
  }
  return true;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal numeral: optional sign, digits with at most one decimal point
// (at least one digit), optional exponent. No blanks, no hexadecimal, no
// "inf" or "nan": what an engineer types for a quantity.
bool IsDecimalNumeral(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    ++i;
  }
  size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
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
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      ++exponentDigits;
    }
    if (exponentDigits == 0) {
      return false;
    }
  }
  return i == text.size();
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

// span=S as printed: whole metres, a point and up to three decimals (more
// only as trailing zeros). Read exactly, in thousandths, so no rounding can
// make a span that is not swept look like one that is.
bool ParseSpan(std::string_view text, int32_t& index) {
  if (text.empty() || !IsDigit(text[0])) {
    return false;
  }
  int64_t value = 0;
  size_t i = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (value > kLastSpanMillimetres) {
      return false;
    }
    value = value * 10 + (text[i] - '0');
  }
  value *= 1000;
  if (i < text.size()) {
    if (text[i] != '.') {
      return false;
    }
    ++i;
    int64_t scale = 100;
    for (; i < text.size(); ++i) {
      if (!IsDigit(text[i]) || (scale == 0 && text[i] != '0')) {
        return false;
      }
      value += (text[i] - '0') * scale;
      scale /= 10;
    }
  }
  if (value < kFirstSpanMillimetres || value > kLastSpanMillimetres ||
      (value - kFirstSpanMillimetres) % kSpanStepMillimetres != 0) {
    return false;
  }
  index = static_cast<int32_t>((value - kFirstSpanMillimetres) / kSpanStepMillimetres);
  return true;
}

bool ParseTwoDigits(std::string_view text, size_t at, int& value) {
  if (!IsDigit(text[at]) || !IsDigit(text[at + 1])) {
    return false;
  }
  value = (text[at] - '0') * 10 + (text[at + 1] - '0');
  return true;
}

// at=YYYYMMDDhhmmss, a real calendar instant.
bool ParseClock(std::string_view text, QueryClock& clock) {
  constexpr size_t kLength = 14;
  if (text.size() != kLength) {
    return false;
  }
  int century = 0;
  int year = 0;
  if (!ParseTwoDigits(text, 0, century) || !ParseTwoDigits(text, 2, year) ||
      !ParseTwoDigits(text, 4, clock.month) || !ParseTwoDigits(text, 6, clock.day) ||
      !ParseTwoDigits(text, 8, clock.hour) || !ParseTwoDigits(text, 10, clock.minute) ||
      !ParseTwoDigits(text, 12, clock.second)) {
    return false;
  }
  clock.year = century * 100 + year;
  constexpr int kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return clock.month >= 1 && clock.month <= 12 && clock.day >= 1 &&
         clock.day <= kDaysInMonth[clock.month - 1] && clock.hour <= 23 && clock.minute <= 59 &&
         clock.second <= 60;
}

int FindValueField(std::string_view name) {
  for (int i = 0; i < kValueFieldCount; ++i) {
    if (kFields[i].name == name) {
      return i;
    }
  }
  return -1;
}

void AddError(QueryParse& parse, int field, int position, std::string_view message) {
  parse.errors.push_back({field, position, std::string(message)});
}

// The fields that are not value lists; each may be given once.
void ParseSingleField(QueryParse& parse, std::string_view name, const std::string& value,
                      std::array<bool, 3>& seen) {
  DesignQuery& query = parse.query;
  const std::string shown = "\"" + std::string(name) + "\"";
  int which = -1;
  if (name == "continuity") {
    which = 0;
  } else if (name == "span") {
    which = 1;
  } else if (name == "at") {
    which = 2;
  } else {
    AddError(parse, -1, 0, "Unknown field " + shown + ".");
    return;
  }
  if (seen[which]) {
    AddError(parse, -1, 0, "The field " + shown + " is given more than once.");
    return;
  }
  seen[which] = true;
  if (which == 0) {
    if (value == "on" || value == "1") {
      query.continuity = true;
    } else if (value != "off" && value != "0") {
      AddError(parse, -1, 0, "continuity is on or off.");
    }
  } else if (which == 1) {
    query.hasSpan = ParseSpan(value, query.spanIndex);
    if (!query.hasSpan) {
      AddError(parse, -1, 0,
               "span must be one of the swept spans, 1.000 to 3.750 m in steps of 0.025.");
    }
  } else {
    query.hasClock = ParseClock(value, query.clock);
    if (!query.hasClock) {
      AddError(parse, -1, 0, "at must be a date and time written YYYYMMDDhhmmss.");
    }
  }
}

// Checks the lists once the whole query is read: each must have a value,
// and the calculation sheet takes exactly one case and a span.
void CheckCompleteness(QueryParse& parse, QueryPurpose purpose) {
  const DesignQuery& query = parse.query;
  for (int field = 0; field < kValueFieldCount; ++field) {
    const QueryList& list = query.lists[field];
    const bool hasFault = std::any_of(parse.errors.begin(), parse.errors.end(),
                                      [field](const QueryError& e) { return e.field == field; });
    if (hasFault) {
      continue;
    }
    if (list.count == 0) {
      AddError(parse, field, 0, kMissing);
    } else if (purpose == QueryPurpose::kExplain && list.count != 1) {
      AddError(parse, field, 0, kOneValue);
    }
  }
  if (purpose == QueryPurpose::kExplain && !query.hasSpan &&
      std::none_of(parse.errors.begin(), parse.errors.end(),
                   [](const QueryError& e) { return e.field < 0; })) {
    AddError(parse, -1, 0, "Give the span, such as span=1.500.");
  }
  if (purpose == QueryPurpose::kDesign && query.hasSpan) {
    AddError(parse, -1, 0, "A span belongs to the calculation sheet, not to a design.");
  }
}

void AppendPair(std::string& out, std::string_view name, std::string_view value) {
  if (!out.empty()) {
    out += '&';
  }
  out += name;
  out += '=';
  out += EncodeQueryComponent(value);
}

}  // namespace

const ValueFieldInfo& FieldInfo(ValueField field) {
  return kFields[static_cast<int>(field)];
}

std::string CheckValueText(ValueField field, std::string_view typed, Quad* value) {
  const std::string_view text = TrimBlanks(typed);
  if (!IsDecimalNumeral(text)) {
    std::string withPoint(text);
    for (char& c : withPoint) {
      if (c == ',') {
        c = '.';
      }
    }
    const bool comma = withPoint != text;
    return std::string(comma && IsDecimalNumeral(withPoint) ? kDecimalComma : kNotANumber);
  }
  Quad parsed = 0;
  if (!ParseDecimal(std::string(text).c_str(), &parsed)) {
    return std::string(kNotANumber);
  }
  if (!IsFinite(parsed)) {
    return std::string(kNotFinite);
  }
  const Quad zero = 0;
  if (FieldInfo(field).mustBePositive ? !(parsed > zero) : parsed < zero) {
    return std::string(FieldInfo(field).mustBePositive ? kNotAboveZero : kNegative);
  }
  if (value != nullptr) {
    *value = parsed;
  }
  return {};
}

QueryParse ParseDesignQuery(std::string_view query, QueryPurpose purpose) {
  QueryParse parse;
  std::array<bool, 3> seen{};
  std::string name;
  std::string value;
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    if (pair.empty()) {
      continue;
    }
    const size_t equals = pair.find('=');
    const std::string_view rawName = pair.substr(0, equals);
    const std::string_view rawValue =
        equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
    if (!PercentDecode(rawName, name) || !PercentDecode(rawValue, value)) {
      AddError(parse, -1, 0, "The query holds a \"%\" that is not followed by two hex digits.");
      continue;
    }
    const int field = FindValueField(name);
    if (field < 0) {
      ParseSingleField(parse, name, value, seen);
      continue;
    }
    QueryList& list = parse.query.lists[field];
    const int position = static_cast<int>(list.texts.size());
    if (position >= kMostValuesPerField) {
      if (position == kMostValuesPerField) {
        AddError(parse, field, position - 1, "At most 5 values.");
      }
      list.texts.emplace_back();  // counted, not kept: the limit is reported once
      continue;
    }
    list.texts.push_back(value);
    if (TrimBlanks(value).empty()) {
      continue;  // an input left empty
    }
    Quad parsed = 0;
    const std::string message = CheckValueText(static_cast<ValueField>(field), value, &parsed);
    if (!message.empty()) {
      AddError(parse, field, position, message);
      continue;
    }
    list.values[list.count] = parsed;
    ++list.count;
  }
  for (QueryList& list : parse.query.lists) {
    if (list.texts.size() > kMostValuesPerField) {
      list.texts.resize(kMostValuesPerField);
    }
  }
  CheckCompleteness(parse, purpose);
  return parse;
}

std::string EncodeQueryComponent(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

std::string EncodeDesignQuery(const DesignQuery& query) {
  std::string out;
  for (int field = 0; field < kValueFieldCount; ++field) {
    for (const std::string& text : query.lists[field].texts) {
      if (!TrimBlanks(text).empty()) {
        AppendPair(out, kFields[field].name, TrimBlanks(text));
      }
    }
  }
  if (query.continuity) {
    AppendPair(out, "continuity", "on");
  }
  if (query.hasClock) {
    char at[16];
    const QueryClock& c = query.clock;
    std::snprintf(at, sizeof at, "%04d%02d%02d%02d%02d%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    AppendPair(out, "at", at);
  }
  return out;
}

}  // namespace kalvorden
