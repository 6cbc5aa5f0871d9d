#include "output/project_identity.h"

#include <cstdio>

#include "output/utf8.h"

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
    const Utf8Character character = ReadUtf8(text.substr(at));
    if (character.length == 0) {
      return "is not valid UTF-8";
    }
    if (IsControlCharacter(character.code)) {
      return "holds a control character (a line break, a tab or the like): one line of text";
    }
    if (IsNoncharacter(character.code)) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(character.code));
      return std::string("holds ") + hex + ", a noncharacter, which a document cannot show";
    }
    at += character.length;
  }
  if (characters > field.mostCharacters) {
    return "is longer than " + std::to_string(field.mostCharacters) + " characters";
  }
  return {};
}

}  // namespace kalvorden
