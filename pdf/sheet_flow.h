#pragma once

// Text flowed down a column of sheets: each line goes under the one before,
// and a line that would reach the title block starts a new sheet. A flow
// runs twice over the same content: first counting (nothing drawn), so that
// every sheet number of the PDF is known before its first page is drawn,
// then drawing, with the same measurements and so the same sheets.

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/page_frame.h"

namespace kalvorden {

struct TextStyle {
  const char* family = kSansFont;
  double size = 9;
  bool bold = false;
  double gray = 0;     // 0 black, 1 white
  double indent = 0;   // from the column's left edge, points
  double leading = 0;  // baseline to baseline; 0 for 1.3 x size
};

class SheetFlow {
 public:
  // Called when a sheet is full and when the flow finishes, with the
  // sheet's number within the flow (from 0): the caller draws the sheet's
  // title block and shows the page. Only a drawing flow calls it.
  using EndSheet = std::function<void(int32_t sheetInFlow)>;

  // Measures text on `cr` (with the font each style selects) in both modes;
  // draws on it only when `drawing`.
  SheetFlow(cairo_t* cr, const PaperGeometry& page, bool drawing, EndSheet endSheet = {});

  double columnWidth() const { return right_ - left_; }

  // Text broken into lines that fit the column (what an engineer typed is
  // made showable first).
  void Text(std::string_view text, const TextStyle& style);
  // One line as given, never broken: the caller has made it fit.
  void Line(const std::string& text, const TextStyle& style);
  // A labelled line of a form: the label, then the value from `valueX`
  // broken to the column with a rule under each of its lines; an empty
  // value leaves `blankRules` empty ruled lines to write on by hand.
  void Field(const std::string& label, std::string_view value, const TextStyle& labelStyle,
             const TextStyle& valueStyle, double valueX, int32_t blankRules = 1);
  // One line of a form with several fields side by side: each label at
  // `labelX`, its value from `valueX` to `end`, shortened to fit, on a rule.
  struct FormCell {
    std::string label;
    std::string value;
    double labelX = 0;
    double valueX = 0;
    double end = 0;
  };
  void FormRow(const std::vector<FormCell>& cells, const TextStyle& labelStyle,
               const TextStyle& valueStyle);
  // Vertical space; none at the top of a sheet.
  void Gap(double points);
  // Starts a new sheet unless `height` points still fit on this one.
  void KeepTogether(double height);
  // Lines set at the top of every sheet that follows, until cleared with an
  // empty list: a table's column heads where the table continues.
  void RepeatOnEachSheet(std::vector<std::pair<std::string, TextStyle>> lines);

  // Ends the last sheet; the number of sheets the flow took (at least one).
  int32_t Finish();

 private:
  void Place(double leading);
  void StartSheet();
  void EndCurrentSheet();
  void Select(const TextStyle& style);
  void Show(double x, const std::string& text, const TextStyle& style);
  void Rule(double from, double to);

  cairo_t* cr_;
  bool drawing_;
  EndSheet endSheet_;
  double left_;
  double right_;
  double top_;
  double bottom_;
  double y_ = 0;  // the baseline of the last line placed
  bool started_ = false;
  bool atTop_ = true;  // nothing but repeated lines on the sheet yet
  int32_t sheets_ = 0;
  std::vector<std::pair<std::string, TextStyle>> repeated_;
};

}  // namespace kalvorden
