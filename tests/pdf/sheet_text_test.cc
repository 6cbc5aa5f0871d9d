#include "pdf/sheet_text.h"

#include <algorithm>
#include <cmath>

#include "pdf/pdf_document.h"
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

// The lines the sheets had before a line's width was summed from its
// words': every line measured whole each time it gained a word (a
// paragraph of words no wider than the line).
std::vector<std::string> WrapByWholeLines(cairo_t* cr, const std::string& text, double width) {
  std::vector<std::string> lines;
  std::string line;
  size_t at = 0;
  while ((at = text.find_first_not_of(' ', at)) != std::string::npos) {
    const size_t end = std::min(text.find(' ', at), text.size());
    const std::string word = text.substr(at, end - at);
    at = end;
    std::string joined = line;
    if (!joined.empty()) {
      joined += ' ';
    }
    joined += word;
    if (kalvorden::TextWidthOf(cr, joined) <= width) {
      line = joined;
    } else {
      lines.push_back(line);
      line = word;
    }
  }
  lines.push_back(line);
  return lines;
}

// Summed widths must break where whole measures do, also at widths exactly
// those of a line (and a rounding either side), where a sum's last bits
// would decide.
TEST(WrapText, TheLinesWholeLineMeasuresGive) {
  const Measure measure;
  cairo_t* cr = measure.cr();
  const std::string texts[] = {
      "The method follows the AASHTO Standard Specifications for Highway Bridges, 17th "
      "edition (2002): service-load design of the deck slab, 1.000 to 3.750 m",
      "fails fs at 1.000, 1.075 to 1.100, 1.150, 1.225 to 1.250, 1.300 m; thickness at 2.375 m",
      "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC 12,5 mm \xC3\xA0 l'\xC3\xA9paisseur f\xE2\x80\xB2 c",
  };
  for (const std::string& text : texts) {
    std::vector<double> widths;
    for (size_t end = text.find(' '); end != std::string::npos; end = text.find(' ', end + 1)) {
      const double exact = kalvorden::TextWidthOf(cr, text.substr(0, end));
      widths.insert(widths.end(), {std::nextafter(exact, 0.0), exact, std::nextafter(exact, 1e9)});
    }
    for (int step = 30; step <= 160; ++step) {
      widths.push_back(3.5 * step);
    }
    double widestWord = 0;
    for (size_t at = 0; (at = text.find_first_not_of(' ', at)) != std::string::npos;) {
      const size_t end = std::min(text.find(' ', at), text.size());
      widestWord = std::max(widestWord, kalvorden::TextWidthOf(cr, text.substr(at, end - at)));
      at = end;
    }
    std::erase_if(widths, [&](double width) { return width < widestWord; });
    ASSERT_GT(widths.size(), 20U);
    for (const double width : widths) {
      EXPECT_EQ(kalvorden::WrapText(cr, text, width), WrapByWholeLines(cr, text, width))
          << text << " in " << width;
    }
  }
}

// The cut the sheets had before it was found by halving: one character off
// the end at a time, trailing blanks dropped, until the rest fits with the
// ellipsis.
std::string FitByCharacters(cairo_t* cr, const std::string& text, double width) {
  const std::string ellipsis = "\xE2\x80\xA6";
  if (kalvorden::TextWidthOf(cr, text) <= width) {
    return text;
  }
  std::string fitted = text;
  while (!fitted.empty()) {
    size_t cut = fitted.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(fitted[cut]) & 0xC0u) == 0x80u) {
      --cut;
    }
    fitted.erase(cut);
    while (!fitted.empty() && fitted.back() == ' ') {
      fitted.pop_back();
    }
    if (kalvorden::TextWidthOf(cr, fitted + ellipsis) <= width) {
      break;
    }
  }
  return fitted + ellipsis;
}

TEST(FitText, TheLongestStartThatFitsWithAnEllipsis) {
  const Measure measure;
  const std::string texts[] = {
      "Route 9 over Mill Creek, replacement of the deck slab",
      "fails fs at 1.000, 1.075 to 1.100, 1.150, 1.225 to 1.250, 1.300, 1.375, 1.400 to 1.425 m",
      "a    b    c    d",
      "\xC3\xA9\xC3\xA9\xC3\xA9 \xE2\x82\xAC\xE2\x82\xAC \xF0\x9F\x8C\x89 \xC3\xA9",
  };
  for (const std::string& text : texts) {
    for (int step = 0; step <= 120; ++step) {
      const double width = 3.5 * step;
      const std::string fitted = kalvorden::FitText(measure.cr(), text, width);
      EXPECT_EQ(fitted, FitByCharacters(measure.cr(), text, width)) << text << " in " << width;
      EXPECT_EQ(ShowableText(fitted), fitted);
    }
  }
}

// A prepared line shows what ShowLine shows, byte for byte in the file,
// when shown again, moved, changed or set in another font.
TEST(PreparedLine, TheSameFileAsShowLine) {
  struct Shown {
    double size;
    double x;
    double y;
    std::string text;
  };
  const std::vector<Shown> sheets = {
      {7.5, 41, 823.89, "Design case 1 of 2: wheel load 60 kN, fc 11 MPa"},
      {7.5, 41, 823.89, "Design case 1 of 2: wheel load 60 kN, fc 11 MPa"},
      {7.5, 41.3, 800.1, "Design case 1 of 2: wheel load 60 kN, fc 11 MPa"},
      {7.2, 41.3, 800.1, "Design case 1 of 2: wheel load 60 kN, fc 11 MPa"},
      {7.2, 41.3, 800.1, "Design case 2 of 2: \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8C\x89"},
      {7.2, 41.3, 800.1, ""},
  };
  const auto write = [&](bool prepared) {
    std::string bytes;
    kalvorden::PdfDocument document(kalvorden::PaperSize::kA4, {});
    document.OpenInMemory(bytes, {"t", "", "", "kalvorden", "2026-12-11T08:00:00"});
    document.SetSheetCount(static_cast<int64_t>(sheets.size()));
    kalvorden::PreparedLine line;
    for (const Shown& shown : sheets) {
      kalvorden::SelectFont(document.cr(), kalvorden::kSansFont, shown.size);
      if (prepared) {
        line.Show(document.cr(), shown.x, shown.y, shown.text);
      } else {
        kalvorden::ShowLine(document.cr(), shown.x, shown.y, shown.text);
      }
      document.EndSheet("Lines");
    }
    EXPECT_FALSE(document.Close().failed);
    return bytes;
  };
  EXPECT_EQ(write(true), write(false));
}

}  // namespace
