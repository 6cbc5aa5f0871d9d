#pragma once

// Text as the sheets set it: what an engineer typed (a project's title, a
// note) made safe to show, broken into lines that fit a width, or shortened
// to one. Widths are measured in the font currently selected on `cr`.

#include <cairo.h>

#include <string>
#include <string_view>
#include <vector>

#include "chart/chart_panel.h"  // TextWidthOf

namespace kalvorden {

// `text` as valid UTF-8 that shows as it reads: each byte that does not
// belong to a well-formed character becomes U+FFFD, and every control
// character becomes a blank, except line feeds when `keepLineFeeds`; a
// noncharacter (U+FFFF, U+FDD0, ...) becomes U+FFFD as well.
// (cairo refuses a string that is not valid UTF-8 and would fail the PDF.)
std::string ShowableText(std::string_view text, bool keepLineFeeds = false);

// Selects `family` at `size` points on `cr`.
void SelectFont(cairo_t* cr, const char* family, double size,
                cairo_font_weight_t weight = CAIRO_FONT_WEIGHT_NORMAL);

// Shows `text` with its baseline starting at (x, y).
void ShowLine(cairo_t* cr, double x, double y, const std::string& text);

// A line shown again and again at one place in one font (a title block's
// subject on each of a case's sheets): converted to glyphs once, then shown
// as ShowLine shows it, its text and clusters passed with the glyphs so the
// file maps them to the same characters.
class PreparedLine {
 public:
  PreparedLine() = default;
  PreparedLine(const PreparedLine&) = delete;
  PreparedLine& operator=(const PreparedLine&) = delete;
  ~PreparedLine();

  // Whether the line holds `text` at (x, y) for the font selected on `cr`.
  bool Holds(cairo_t* cr, double x, double y, const std::string& text) const;
  // Shows `text` at (x, y) in the font selected on `cr`, converting it
  // only when the line does not hold it already.
  void Show(cairo_t* cr, double x, double y, const std::string& text);

 private:
  void Forget();

  std::string text_;
  double x_ = 0;
  double y_ = 0;
  cairo_scaled_font_t* font_ = nullptr;  // referenced while held
  cairo_glyph_t* glyphs_ = nullptr;
  int glyphCount_ = 0;
  cairo_text_cluster_t* clusters_ = nullptr;
  int clusterCount_ = 0;
  cairo_text_cluster_flags_t flags_{};
};

// `text` (showable) broken at blanks into lines no wider than `width`; a
// word wider than the line is broken between characters. A line feed ends
// a line. Never empty: an empty text gives one empty line.
std::vector<std::string> WrapText(cairo_t* cr, std::string_view text, double width);

// `text` whole if it fits `width`, otherwise as much of it as fits followed
// by an ellipsis.
std::string FitText(cairo_t* cr, const std::string& text, double width);

}  // namespace kalvorden
