#pragma once

// What the TOML library is never given. toml++ 3.3 classifies a character
// beyond ASCII as whitespace or not with a generated table that has holes:
// for most such characters (Latin-1 letters such as "é" among them) it
// reaches code marked unreachable, which is undefined behaviour. It asks
// that question of every character outside a text value: in keys (quoted
// ones too), between values, and after a line-ending backslash in a
// multi-line text. A project file needs characters beyond ASCII only in its
// texts and comments, so the file is screened first, and anything that
// would lead the library there is refused with its place:
//   - a character beyond ASCII outside a one-line text in quotes and outside
//     a comment;
//   - a quoted key with such a character (no key of a project file has one);
//   - a multi-line text ("""...""" or '''...'''): every text is one line.
// The library also reads every number into a double and refuses one beyond
// a double's range (1e+4000, 1e-5000), though the design reads each value's
// own digits into binary128, whose range is far wider, and the other doors
// take such a value. So the library is given a copy of the text in which
// each such number stands as a zero of the same length ("0.00000"): lines,
// columns and kinds stay as they are, and the reader takes the digits from
// the file itself.

#include <cstdint>
#include <string>
#include <string_view>

namespace kalvorden {

struct ScreenFault {
  uint32_t line = 0;  // 0: the text may be parsed
  uint32_t column = 0;
  std::string detail;
};

// `text` without a leading byte-order mark; columns count characters.
// `forLibrary` becomes the text to hand the TOML library.
ScreenFault ScreenTomlText(std::string_view text, std::string& forLibrary);

}  // namespace kalvorden
