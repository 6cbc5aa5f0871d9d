#include "pdf/sheet_text.h"

#include "tests/pdf/pdf_test_util.h"

namespace {

using kalvorden::ShowableText;

TEST(ShowableText, MalformedBytesReplacedAndControlsBlanked) {
  const std::string r = "\xEF\xBF\xBD";  // U+FFFD
  const struct {
    const char* name;
    std::string typed;
    bool keepLineFeeds;
    std::string shown;
  } table[] = {
      {"plain text", "Mill Creek", false, "Mill Creek"},
      {"two- and four-byte characters",
       "Br\xC3\xBC"
       "cke \xF0\x9F\x8C\x89",
       false,
       "Br\xC3\xBC"
       "cke \xF0\x9F\x8C\x89"},
      {"a stray byte",
       "a\xFF"
       "b",
       false, "a" + r + "b"},
      {"an overlong slash", "\xC0\xAF", false, r + r},
      {"a surrogate", "\xED\xA0\x80", false, r + r + r},
      {"a character cut short at the end", "x\xE2\x82", false, "x" + r + r},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", false, r + r + r + r},
      {"tab, carriage return, escape",
       "a\tb\rc\x1B"
       "d",
       false, "a b c d"},
      {"a C1 control",
       "a\xC2\x85"
       "b",
       false, "a b"},
      {"a line feed kept", "line\nnext", true, "line\nnext"},
      {"a line feed blanked", "line\nnext", false, "line next"},
      {"a NUL inside", std::string("a\0b", 3), false, "a b"},
      {"noncharacters U+FFFF, U+FDD0, U+1FFFE, U+10FFFF",
       "\xEF\xBF\xBF\xEF\xB7\x90\xF0\x9F\xBF\xBE\xF4\x8F\xBF\xBF", false, r + r + r + r},
      {"U+FDCF and U+FDF0 beside the range", "\xEF\xB7\x8F\xEF\xB7\xB0", false,
       "\xEF\xB7\x8F\xEF\xB7\xB0"},
  };
  for (const auto& test : table) {
    EXPECT_EQ(ShowableText(test.typed, test.keepLineFeeds), test.shown) << test.name;
  }
}

TEST(WrapText, EveryLineFitsAndEveryWordStaysInOrder) {
  const Measure measure;
  const struct {
    const char* name;
    const char* text;
    double width;
    size_t lines;
  } table[] = {
      {"fits on one line", "Deck between girders", 200, 1},
      {"broken at blanks", "Deck slab between the girders of spans 2 to 5, replaced in 2027", 120,
       3},
      {"a line feed ends a line", "first\nsecond", 200, 2},
      {"an empty text is one empty line", "", 200, 1},
      {"a word wider than the line, by characters",
       "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08", 100, 4},
  };
  for (const auto& test : table) {
    SCOPED_TRACE(test.name);
    const std::vector<std::string> lines = kalvorden::WrapText(measure.cr(), test.text, test.width);
    EXPECT_EQ(lines.size(), test.lines);
    std::string joined;
    for (const std::string& line : lines) {
      EXPECT_LE(kalvorden::TextWidthOf(measure.cr(), line), test.width) << line;
      joined += line;
    }
    std::string letters = test.text;
    std::erase_if(letters, [](char c) { return c == ' ' || c == '\n'; });
    std::erase_if(joined, [](char c) { return c == ' '; });
    EXPECT_EQ(joined, letters);
  }
}

TEST(FitText, ShortenedWithAnEllipsisOnlyWhenTooWide) {
  const Measure measure;
  const std::string title = "Route 9 over Mill Creek, replacement of the deck slab";
  EXPECT_EQ(kalvorden::FitText(measure.cr(), title, 1000), title);
  const std::string fitted = kalvorden::FitText(measure.cr(), title, 100);
  EXPECT_LE(kalvorden::TextWidthOf(measure.cr(), fitted), 100);
  EXPECT_TRUE(fitted.ends_with("\xE2\x80\xA6")) << fitted;
  EXPECT_TRUE(title.starts_with(fitted.substr(0, fitted.size() - 3))) << fitted;
  // A multibyte character is never cut in half.
  const std::string accented = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
  EXPECT_EQ(ShowableText(kalvorden::FitText(measure.cr(), accented, 30)),
            kalvorden::FitText(measure.cr(), accented, 30));
}

}  // namespace
