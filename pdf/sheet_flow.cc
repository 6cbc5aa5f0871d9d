#include "pdf/sheet_flow.h"

#include <algorithm>

#include "pdf/sheet_text.h"

namespace kalvorden {
namespace {

double LeadingOf(const TextStyle& style) {
  return style.leading > 0 ? style.leading : 1.3 * style.size;
}

}  // namespace

SheetFlow::SheetFlow(cairo_t* cr, const PaperGeometry& page, bool drawing, EndSheet endSheet)
    : cr_(cr),
      drawing_(drawing),
      endSheet_(std::move(endSheet)),
      left_(kSideMargin),
      right_(page.width - kSideMargin),
      top_(kTopMargin - 6),
      bottom_(LowestBaseline(page)) {}

void SheetFlow::Select(const TextStyle& style) {
  cairo_select_font_face(cr_, style.family, CAIRO_FONT_SLANT_NORMAL,
                         style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, style.size);
}

void SheetFlow::Show(double x, const std::string& text, const TextStyle& style) {
  if (!drawing_ || text.empty()) {
    return;
  }
  cairo_set_source_rgb(cr_, style.gray, style.gray, style.gray);
  cairo_move_to(cr_, x, y_);
  cairo_show_text(cr_, text.c_str());
}

void SheetFlow::StartSheet() {
  started_ = true;
  y_ = top_;
  for (const auto& [text, style] : repeated_) {
    y_ += LeadingOf(style);
    Select(style);
    Show(left_ + style.indent, text, style);
  }
  atTop_ = true;
}

void SheetFlow::EndCurrentSheet() {
  if (drawing_ && endSheet_) {
    endSheet_(sheets_);
  }
  ++sheets_;
  started_ = false;
}

void SheetFlow::Place(double leading) {
  if (!started_) {
    StartSheet();
  }
  if (y_ + leading > bottom_ && !atTop_) {
    EndCurrentSheet();
    StartSheet();
  }
  y_ += leading;
  atTop_ = false;
}

void SheetFlow::Text(std::string_view text, const TextStyle& style) {
  Select(style);
  for (const std::string& line :
       WrapText(cr_, ShowableText(text, true), columnWidth() - style.indent)) {
    Place(LeadingOf(style));
    Show(left_ + style.indent, line, style);
  }
}

void SheetFlow::Line(const std::string& text, const TextStyle& style) {
  Select(style);
  Place(LeadingOf(style));
  Show(left_ + style.indent, text, style);
}

void SheetFlow::Field(const std::string& label, std::string_view value, const TextStyle& labelStyle,
                      const TextStyle& valueStyle, double valueX, int32_t blankRules) {
  Select(valueStyle);
  std::vector<std::string> lines = WrapText(cr_, ShowableText(value, true), columnWidth() - valueX);
  if (value.empty()) {
    lines.assign(static_cast<size_t>(std::max(blankRules, 1)), std::string());
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    Place(LeadingOf(valueStyle));
    if (i == 0) {
      Select(labelStyle);
      Show(left_ + labelStyle.indent, label, labelStyle);
      Select(valueStyle);
    }
    Show(left_ + valueX, lines[i], valueStyle);
    Rule(left_ + valueX, right_);
  }
}

void SheetFlow::FormRow(const std::vector<FormCell>& cells, const TextStyle& labelStyle,
                        const TextStyle& valueStyle) {
  Place(LeadingOf(valueStyle));
  for (const FormCell& cell : cells) {
    Select(labelStyle);
    Show(left_ + cell.labelX, cell.label, labelStyle);
    Select(valueStyle);
    Show(left_ + cell.valueX,
         FitText(cr_, ShowableText(cell.value), std::max(0.0, cell.end - cell.valueX)), valueStyle);
    Rule(left_ + cell.valueX, left_ + cell.end);
  }
}

void SheetFlow::Rule(double from, double to) {
  if (!drawing_) {
    return;
  }
  cairo_set_source_rgb(cr_, 0.55, 0.55, 0.55);
  cairo_set_line_width(cr_, 0.4);
  cairo_move_to(cr_, from, y_ + 3);
  cairo_line_to(cr_, to, y_ + 3);
  cairo_stroke(cr_);
}

void SheetFlow::Gap(double points) {
  if (started_ && !atTop_) {
    y_ += points;
  }
}

void SheetFlow::KeepTogether(double height) {
  if (started_ && !atTop_ && y_ + height > bottom_) {
    EndCurrentSheet();
  }
}

void SheetFlow::RepeatOnEachSheet(std::vector<std::pair<std::string, TextStyle>> lines) {
  repeated_ = std::move(lines);
}

int32_t SheetFlow::Finish() {
  if (!started_ && sheets_ == 0) {
    StartSheet();
  }
  if (started_) {
    EndCurrentSheet();
  }
  return sheets_;
}

}  // namespace kalvorden
