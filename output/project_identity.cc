#include "output/project_identity.h"

#include <cstdint>
#include <cstdio>

namespace kalvorden {
namespace {

constexpr std::array<IdentityFieldInfo, kIdentityFieldCount> kFields = {{
    {"title", "Title", "the project's title", &ProjectIdentity::title, 200},
    {"bridge", "Bridge", "the bridge's name or number", &ProjectIdentity::bridge, 100},
    {"designer", "Designer", "the name of the designer", &ProjectIdentity::designer, 100},
    {"checker", "Checker", "the name of the checker", &ProjectIdentity::checker, 100},
    {"revision", "Revision", "the revision of the calculation", &ProjectIdentity::revision, 20},
    {"notes", "Notes", "a note on the design, one line", &ProjectIdentity::notes, 1000},
}};

// U+FDD0 to U+FDEF and the last two code points of every plane (U+FFFE,
// U+FFFF, U+1FFFE ... U+10FFFF): Unicode keeps them for a program's own use,
// never for interchange, and the PDF's text path (cairo's UTF-8 reader)
// refuses any string that holds one. Every other valid code point is shown,
// if only as the font's missing-glyph box.
bool IsNoncharacter(uint32_t code) {
  return (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE;
}

// The length of the UTF-8 sequence that starts at `text[at]` and encodes a
// character that is not a control (C0, DEL or C1), or 0; `code` is the
// character. Overlong forms, surrogates and values beyond U+10FFFF are
// refused, as UTF-8 requires.
size_t PrintableSequence(std::string_view text, size_t at, uint32_t& code) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[at + i]); };
  const auto continuation = [&](size_t i) {
    return at + i < text.size() && (byte(i) & 0xC0) == 0x80;
  };
  const uint8_t lead = byte(0);
  code = lead;
  if (lead < 0x80) {
    return lead >= 0x20 && lead != 0x7F ? 1 : 0;
  }
  if (lead >= 0xC2 && lead <= 0xDF && continuation(1)) {
    // U+0080 to U+009F (C2 80 to C2 9F) are the C1 controls.
    code = (lead & 0x1FU) << 6U | (byte(1) & 0x3FU);
    return lead == 0xC2 && byte(1) < 0xA0 ? 0 : 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF && continuation(1) && continuation(2)) {
    const bool overlong = lead == 0xE0 && byte(1) < 0xA0;
    const bool surrogate = lead == 0xED && byte(1) >= 0xA0;
    code = (lead & 0x0FU) << 12U | (byte(1) & 0x3FU) << 6U | (byte(2) & 0x3FU);
    return overlong || surrogate ? 0 : 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4 && continuation(1) && continuation(2) && continuation(3)) {
    const bool overlong = lead == 0xF0 && byte(1) < 0x90;
    const bool beyond = lead == 0xF4 && byte(1) >= 0x90;
    code = (lead & 0x07U) << 18U | (byte(1) & 0x3FU) << 12U | (byte(2) & 0x3FU) << 6U |
           (byte(3) & 0x3FU);
    return overlong || beyond ? 0 : 4;
  }
  return 0;
}

}  // namespace

const std::array<IdentityFieldInfo, kIdentityFieldCount>& IdentityFields() {
  return kFields;
}

const IdentityFieldInfo* FindIdentityField(std::string_view name) {
  for (const IdentityFieldInfo& field : kFields) {
    if (field.name == name) {
      return &field;
    }
  }
  return nullptr;
}

std::string IdentityTextFault(const IdentityFieldInfo& field, std::string_view text) {
  size_t characters = 0;
  for (size_t at = 0; at < text.size(); ++characters) {
    uint32_t code = 0;
    const size_t length = PrintableSequence(text, at, code);
    if (length == 0) {
      const auto lead = static_cast<uint8_t>(text[at]);
      const bool control =
          lead < 0x20 || lead == 0x7F ||
          (lead == 0xC2 && at + 1 < text.size() && static_cast<uint8_t>(text[at + 1]) >= 0x80 &&
           static_cast<uint8_t>(text[at + 1]) < 0xA0);
      return control ? "holds a control character (a line break, a tab or the like): one line "
                       "of text"
                     : "is not valid UTF-8";
    }
    if (IsNoncharacter(code)) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
      return std::string("holds ") + hex + ", a noncharacter, which a document cannot show";
    }
    at += length;
  }
  if (characters > field.mostCharacters) {
    return "is longer than " + std::to_string(field.mostCharacters) + " characters";
  }
  return {};
}

}  // namespace kalvorden
