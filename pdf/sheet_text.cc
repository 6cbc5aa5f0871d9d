#include "pdf/sheet_text.h"

#include <cmath>

#include "output/utf8.h"

namespace kalvorden {
namespace {

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // U+2026

bool StartsCharacter(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0u) != 0x80u;
}

// How far from the line's width a sum of advances must be for the sum to
// decide whether the words fit. cairo's text advances are the sums of the
// glyphs' advances (its text calls neither kern nor shape), so a line's
// width and the sum of its words' and blanks' widths differ only by the
// rounding of a few dozen additions of doubles, about 1e-13 pt: far inside
// this margin. Within it the joined line is measured as a whole.
constexpr double kSumMargin = 1e-6;

// The lines of one paragraph (no line feed in it). Each word is measured
// once and the line's width is the sum of its words' and blanks' (measuring
// the line again for every word it gained cost a tenth of a 25-case
// package); only a line that ends within kSumMargin of the width is
// measured whole, so the lines are those the whole line's measure gives.
void WrapParagraph(cairo_t* cr, std::string_view paragraph, double width,
                   std::vector<std::string>& lines) {
  const double blank = TextWidthOf(cr, " ");
  std::string line;
  double lineWidth = 0;
  const auto flush = [&]() {
    lines.push_back(line);
    line.clear();
    lineWidth = 0;
  };
  size_t at = 0;
  while (at < paragraph.size()) {
    const size_t start = paragraph.find_first_not_of(' ', at);
    if (start == std::string_view::npos) {
      break;
    }
    const size_t end = std::min(paragraph.find(' ', start), paragraph.size());
    std::string word(paragraph.substr(start, end - start));
    at = end;
    std::string joined = line;
    if (!joined.empty()) {
      joined += ' ';
    }
    joined += word;
    double joinedWidth = (line.empty() ? 0 : lineWidth + blank) + TextWidthOf(cr, word);
    if (joinedWidth > width - kSumMargin && joinedWidth <= width + kSumMargin) {
      joinedWidth = TextWidthOf(cr, joined);
    }
    if (joinedWidth <= width) {
      line = joined;
      lineWidth = joinedWidth;
      continue;
    }
    if (!line.empty()) {
      flush();
    }
    // A word wider than the line goes character by character.
    while (TextWidthOf(cr, word) > width) {
      size_t cut = 0;
      for (size_t next = 1; next <= word.size(); ++next) {
        if (next < word.size() && !StartsCharacter(word[next])) {
          continue;
        }
        if (TextWidthOf(cr, word.substr(0, next)) > width) {
          break;
        }
        cut = next;
      }
      if (cut == 0) {  // not even one character fits: it goes alone
        cut = 1;
        while (cut < word.size() && !StartsCharacter(word[cut])) {
          ++cut;
        }
      }
      lines.push_back(word.substr(0, cut));
      word.erase(0, cut);
    }
    line = word;
    lineWidth = TextWidthOf(cr, line);
  }
  flush();
}

}  // namespace

std::string ShowableText(std::string_view text, bool keepLineFeeds) {
  std::string shown;
  shown.reserve(text.size());
  while (!text.empty()) {
    const auto [length, code] = ReadUtf8(text);
    if (length == 0) {
      shown.append(kReplacementCharacter);
      text.remove_prefix(1);
      continue;
    }
    if (IsNoncharacter(code)) {
      shown.append(kReplacementCharacter);
    } else if (code == '\n' && keepLineFeeds) {
      shown.push_back('\n');
    } else if (IsControlCharacter(code)) {
      shown.push_back(' ');
    } else {
      shown.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return shown;
}

void SelectFont(cairo_t* cr, const char* family, double size, cairo_font_weight_t weight) {
  cairo_select_font_face(cr, family, CAIRO_FONT_SLANT_NORMAL, weight);
  cairo_set_font_size(cr, size);
}

void ShowLine(cairo_t* cr, double x, double y, const std::string& text) {
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

std::vector<std::string> WrapText(cairo_t* cr, std::string_view text, double width) {
  std::vector<std::string> lines;
  while (true) {
    const size_t feed = text.find('\n');
    WrapParagraph(cr, text.substr(0, feed), width, lines);
    if (feed == std::string_view::npos) {
      return lines;
    }
    text.remove_prefix(feed + 1);
  }
}

namespace {

// The x of each character's glyph in `text` set from x = 0, by the byte
// that starts the character (NaN elsewhere): one conversion of the whole
// text, where each character is one glyph. Empty where one is not (cairo's
// clusters say so) or the conversion failed.
std::vector<double> CharacterPositions(cairo_t* cr, const std::string& text) {
  cairo_glyph_t* glyphs = nullptr;
  int glyphCount = 0;
  cairo_text_cluster_t* clusters = nullptr;
  int clusterCount = 0;
  cairo_text_cluster_flags_t flags{};
  std::vector<double> positions;
  if (cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), 0, 0, text.data(),
                                       static_cast<int>(text.size()), &glyphs, &glyphCount,
                                       &clusters, &clusterCount, &flags) == CAIRO_STATUS_SUCCESS &&
      (flags & CAIRO_TEXT_CLUSTER_FLAG_BACKWARD) == 0 && clusterCount == glyphCount) {
    positions.assign(text.size(), std::nan(""));
    size_t at = 0;
    for (int i = 0; i < clusterCount && !positions.empty(); ++i) {
      if (clusters[i].num_glyphs != 1 || clusters[i].num_bytes < 1 ||
          at + static_cast<size_t>(clusters[i].num_bytes) > text.size()) {
        positions.clear();
        break;
      }
      positions[at] = glyphs[i].x;
      at += static_cast<size_t>(clusters[i].num_bytes);
    }
    if (at != text.size()) {
      positions.clear();
    }
  }
  cairo_glyph_free(glyphs);
  cairo_text_cluster_free(clusters);
  return positions;
}

}  // namespace

// The longest start of `text`, cut between characters and without its
// trailing blanks, that fits `width` with the ellipsis after it. A longer
// start is never narrower (the advances only add up), so the cut is found by
// halving: a chart sheet's line of failing spans runs to hundreds of
// characters, and measuring it once per character cost more than drawing
// the sheet. A start's width is where the glyph after it stands in the
// whole text, set once, plus the ellipsis's (the sums of advances that a
// measure of the start gives, to the rounding of a few additions); a start
// within kSumMargin of the width is measured whole, so the cut is the one
// measures of every start would give.
std::string FitText(cairo_t* cr, const std::string& text, double width) {
  if (TextWidthOf(cr, text) <= width) {
    return text;
  }
  const auto trimmedEnd = [&](size_t cut) {
    while (cut > 0 && text[cut - 1] == ' ') {
      --cut;
    }
    return cut;
  };
  const auto shortened = [&](size_t cut) {
    return text.substr(0, trimmedEnd(cut)) + std::string(kEllipsis);
  };
  const std::vector<double> positions = CharacterPositions(cr, text);
  const double ellipsis = TextWidthOf(cr, std::string(kEllipsis));
  const auto fits = [&](size_t cut) {
    const size_t end = trimmedEnd(cut);
    if (!positions.empty() && !std::isnan(positions[end])) {
      const double sum = positions[end] + ellipsis;
      if (sum > width + kSumMargin) {
        return false;
      }
      if (sum <= width - kSumMargin) {
        return true;
      }
    }
    return TextWidthOf(cr, shortened(cut)) <= width;
  };
  std::vector<size_t> cuts;  // between characters, neither end
  for (size_t at = 1; at < text.size(); ++at) {
    if (StartsCharacter(text[at])) {
      cuts.push_back(at);
    }
  }
  // cuts[0, fitting) fit, cuts[failing, end) do not.
  size_t fitting = 0;
  size_t failing = cuts.size();
  while (fitting < failing) {
    const size_t middle = fitting + (failing - fitting) / 2;
    if (fits(cuts[middle])) {
      fitting = middle + 1;
    } else {
      failing = middle;
    }
  }
  return shortened(fitting == 0 ? 0 : cuts[fitting - 1]);
}

PreparedLine::~PreparedLine() {
  Forget();
}

void PreparedLine::Forget() {
  cairo_glyph_free(glyphs_);
  cairo_text_cluster_free(clusters_);
  if (font_ != nullptr) {
    cairo_scaled_font_destroy(font_);
  }
  glyphs_ = nullptr;
  clusters_ = nullptr;
  font_ = nullptr;
  glyphCount_ = 0;
  clusterCount_ = 0;
  text_.clear();
}

// The scaled font is cairo's own object for a face, size, matrix and
// options, found again by cairo for the same selection: the same pointer
// means the same glyphs.
bool PreparedLine::Holds(cairo_t* cr, double x, double y, const std::string& text) const {
  return font_ != nullptr && font_ == cairo_get_scaled_font(cr) && x == x_ && y == y_ &&
         text == text_;
}

void PreparedLine::Show(cairo_t* cr, double x, double y, const std::string& text) {
  if (!Holds(cr, x, y, text)) {
    Forget();
    cairo_scaled_font_t* font = cairo_get_scaled_font(cr);
    // From the current point, as cairo_show_text sets its glyphs: cairo
    // keeps it in its fixed point (1/256 of a unit).
    cairo_move_to(cr, x, y);
    double startX = x;
    double startY = y;
    cairo_get_current_point(cr, &startX, &startY);
    if (cairo_scaled_font_text_to_glyphs(
            font, startX, startY, text.data(), static_cast<int>(text.size()), &glyphs_,
            &glyphCount_, &clusters_, &clusterCount_, &flags_) != CAIRO_STATUS_SUCCESS) {
      Forget();
      ShowLine(cr, x, y, text);
      return;
    }
    font_ = cairo_scaled_font_reference(font);
    text_ = text;
    x_ = x;
    y_ = y;
  }
  if (glyphCount_ > 0) {
    cairo_show_text_glyphs(cr, text_.data(), static_cast<int>(text_.size()), glyphs_, glyphCount_,
                           clusters_, clusterCount_, flags_);
  }
}

}  // namespace kalvorden
