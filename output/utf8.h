#pragma once

// UTF-8 read one character at a time, as every text an engineer types is
// checked (the project's identity) and shown (the web page, the PDF's
// sheets): one reading, so a text one output accepts is the text the others
// show.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kalvorden {

// U+FFFD, which stands in a text shown for what is not a character.
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The character at the front of `text` (not empty): the length of its
// well-formed encoding (no overlong form, no surrogate, nothing above
// U+10FFFF) and its code point, or length 0 when `text` starts with none.
struct Utf8Character {
  size_t length = 0;
  uint32_t code = 0;
};
Utf8Character ReadUtf8(std::string_view text);

// How many bytes at the front of `text` (not empty), which ReadUtf8 refuses,
// one U+FFFD stands for, as browsers decode: the start of a sequence cut
// short counts as one fault, any other byte as one of its own.
size_t Utf8FaultLength(std::string_view text);

// C0 controls, DEL and the C1 controls (U+0080 to U+009F).
bool IsControlCharacter(uint32_t code);

// U+FDD0 to U+FDEF and the last two code points of every plane (U+FFFE,
// U+FFFF, U+1FFFE ... U+10FFFF): well-formed UTF-8, but kept for a
// program's own use, never for interchange; the PDF's text path (cairo's
// UTF-8 reader) refuses any string that holds one. Every other valid code
// point is shown, if only as the font's missing-glyph box.
bool IsNoncharacter(uint32_t code);

}  // namespace kalvorden
