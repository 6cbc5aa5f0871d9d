#include "fault/fault.h"

#include <cstdio>
#include <utility>

namespace kalvorden {
namespace {
constexpr std::string_view kConsoleInput = "reading standard input";
}  // namespace

Fault EndOfFileFault() {
  return {kFaultEndOfFile, "end-of-file during read", std::string(kConsoleInput), {}};
}

Fault ConversionFault() {
  return {kFaultConversion, "input conversion error", std::string(kConsoleInput), {}};
}

Fault UsageFault(std::string where, std::string detail) {
  return {kFaultUsage, "usage error", std::move(where), std::move(detail)};
}

std::string FormatFault(const Fault& fault) {
  std::string line = "kalvorden: error (" + std::to_string(fault.number) + "): " + fault.text;
  if (!fault.where.empty()) {
    line += ", " + fault.where;
  }
  if (!fault.detail.empty()) {
    line += ": " + fault.detail;
  }
  return line;
}

std::string QuoteName(std::string_view name) {
  std::string quoted = "\"";
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte >= 0x20 && byte < 0x7f) {
      quoted += c;
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      quoted += escape;
    }
  }
  quoted += '"';
  return quoted;
}

}  // namespace kalvorden
