#pragma once

// Which bridge a run designs for and who answers for it, described once:
// the command line's options, the project file's keys and the web form's
// fields are all read from the table below, and every door checks a text by
// the one rule here.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kalvorden {

// Shown by the outputs that are filed (the PDF's cover and title blocks, the
// web page). Every field may be empty.
struct ProjectIdentity {
  std::string title;
  std::string bridge;
  std::string designer;
  std::string checker;
  std::string revision;
  std::string notes;
};

struct IdentityFieldInfo {
  std::string_view name;   // the option, the key in [project], the query field
  std::string_view label;  // "Designer"
  std::string_view help;   // for --help: "the name of the designer"
  std::string ProjectIdentity::*member;
  // The most characters (Unicode code points) it may hold: enough for any
  // real title or name, and few enough for a title block to show.
  size_t mostCharacters;
};

constexpr int kIdentityFieldCount = 6;

// In the order a title block shows them: title, bridge, designer, checker,
// revision, notes.
const std::array<IdentityFieldInfo, kIdentityFieldCount>& IdentityFields();

// The field whose name is `name`, or null.
const IdentityFieldInfo* FindIdentityField(std::string_view name);

// Why `text` cannot be the field's value, as a phrase after its name ("holds
// a control character"), or empty when it can. A text is one line of UTF-8:
// no control character (no tab, line break or NUL either), no invalid or
// overlong sequence, no noncharacter (U+FDD0..U+FDEF, U+xxFFFE, U+xxFFFF:
// no document can show one), at most `mostCharacters` characters.
std::string IdentityTextFault(const IdentityFieldInfo& field, std::string_view text);

}  // namespace kalvorden
