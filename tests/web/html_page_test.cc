#include "web/html_page.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace kalvorden;

// Text from a request is escaped for HTML and comes out as valid UTF-8: NUL
// and every byte that is not part of a valid sequence (overlong forms,
// surrogates, values past U+10FFFF, sequences cut short) become U+FFFD, one
// for each run a browser would replace.
TEST(HtmlPage, EscapedTextIsValidUtf8) {
  const std::string r = "\xEF\xBF\xBD";
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"a<b>&\"'", "a&lt;b&gt;&amp;&quot;&#39;"},
      {"\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82 \xF4\x8F\xBF\xBF", "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82 \xF4\x8F\xBF\xBF"},
      {std::string("a\0b", 3), "a" + r + "b"},
      {"\xFF", r},
      {"\x80x", r + "x"},
      {"\xC0\xAF", r + r},
      {"\xE0\x80\xAF", r + r + r},
      {"\xED\xA0\x80", r + r + r},
      {"\xF4\x90\x80\x80", r + r + r + r},
      {"\xE2\x82", r},
      {"\xE2\x82<", r + "&lt;"},
      {"\xF0\x9F\x99", r},
  };
  // clang-format on
  for (const auto& [text, escaped] : cases) {
    EXPECT_EQ(EscapeHtml(text), escaped) << text;
  }
}
