#include "web/query_text.h"

#include <cstdio>

namespace kalvorden {
namespace {

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

bool ParseTwoDigits(std::string_view text, size_t at, int& value) {
  if (!IsDigit(text[at]) || !IsDigit(text[at + 1])) {
    return false;
  }
  value = (text[at] - '0') * 10 + (text[at + 1] - '0');
  return true;
}

constexpr std::string_view kBadClock = "at must be a date and time written YYYYMMDDhhmmss.";

// at=YYYYMMDDhhmmss: an instant of the calendar; none for any other text.
std::optional<LocalDateTime> ParseQueryClock(std::string_view text) {
  constexpr size_t kLength = 14;
  if (text.size() != kLength) {
    return std::nullopt;
  }
  LocalDateTime clock;
  int century = 0;
  int year = 0;
  if (!ParseTwoDigits(text, 0, century) || !ParseTwoDigits(text, 2, year) ||
      !ParseTwoDigits(text, 4, clock.month) || !ParseTwoDigits(text, 6, clock.day) ||
      !ParseTwoDigits(text, 8, clock.hour) || !ParseTwoDigits(text, 10, clock.minute) ||
      !ParseTwoDigits(text, 12, clock.second)) {
    return std::nullopt;
  }
  clock.year = century * 100 + year;
  return IsCalendarInstant(clock) ? std::optional(clock) : std::nullopt;
}

std::string QueryClockText(const LocalDateTime& clock) {
  char at[32];
  std::snprintf(at, sizeof at, "%04d%02d%02d%02d%02d%02d", clock.year, clock.month, clock.day,
                clock.hour, clock.minute, clock.second);
  return at;
}

}  // namespace

std::vector<QueryPair> SplitQuery(std::string_view query) {
  std::vector<QueryPair> pairs;
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
    QueryPair& decoded = pairs.emplace_back();
    decoded.decoded =
        PercentDecode(rawName, decoded.name) && PercentDecode(rawValue, decoded.value);
  }
  return pairs;
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

void AppendQueryPair(std::string& out, std::string_view name, std::string_view value) {
  if (!out.empty()) {
    out += '&';
  }
  out += name;
  out += '=';
  out += EncodeQueryComponent(value);
}

void AppendIdentityPairs(std::string& out, const ProjectIdentity& identity) {
  for (const IdentityFieldInfo& field : IdentityFields()) {
    if (!(identity.*(field.member)).empty()) {
      AppendQueryPair(out, field.name, identity.*(field.member));
    }
  }
}

void AppendPaperAndClockPairs(std::string& out, bool paperGiven, PaperSize paper,
                              const std::optional<LocalDateTime>& clock) {
  if (paperGiven) {
    AppendQueryPair(out, "paper", paper == PaperSize::kLetter ? "letter" : "a4");
  }
  if (clock) {
    AppendQueryPair(out, "at", QueryClockText(*clock));
  }
}

bool IsPageField(std::string_view name) {
  return name == "continuity" || name == "paper" || name == "at" ||
         FindIdentityField(name) != nullptr;
}

std::string ReadPageField(std::string_view name, const std::string& value, PageFields into) {
  if (const IdentityFieldInfo* field = FindIdentityField(name)) {
    if (const std::string why = IdentityTextFault(*field, value); !why.empty()) {
      return std::string(field->label) + " " + why + ".";
    }
    into.identity.*(field->member) = value;
  } else if (name == "continuity") {
    if (value != "on" && value != "1" && value != "off" && value != "0") {
      return "continuity is on or off.";
    }
    into.continuity = value == "on" || value == "1";
  } else if (name == "paper") {
    if (value != "a4" && value != "letter") {
      return "paper is a4 or letter.";
    }
    into.paper = value == "letter" ? PaperSize::kLetter : PaperSize::kA4;
    into.paperGiven = true;
  } else {
    into.clock = ParseQueryClock(value);
    if (!into.clock) {
      return std::string(kBadClock);
    }
  }
  return {};
}

}  // namespace kalvorden
