#include "pdf/title_block.h"

#include <algorithm>

#include "pdf/sheet_text.h"

namespace kalvorden {
namespace {

// The block's frame sits inside the band with 14 pt below it, so its last
// line's descenders stay more than 10 pt above the paper's edge.
constexpr double kFrameSide = 36;
constexpr double kFrameTop = 54;     // above the bottom edge
constexpr double kFrameBottom = 14;  // above the bottom edge
constexpr double kInset = 5;
constexpr double kLabelSize = 5.5;
constexpr double kLabelWidth = 38;
constexpr double kFieldSize = 8;
constexpr double kSheetSize = 9;
constexpr double kSubjectSize = 7.5;
constexpr double kLeastSubjectSize = 4.5;
// The right-hand column holds the run, the sheet number and the revision.
constexpr double kRightColumn = 210;

void Show(cairo_t* cr, double x, double y, const std::string& text) {
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

}  // namespace

std::string SheetNumberText(int64_t sheet, int64_t sheetCount) {
  return "Sheet " + std::to_string(sheet) + " of " + std::to_string(sheetCount);
}

TitleBlockPainter::TitleBlockPainter(const PaperGeometry& page, TitleBlockFields fields)
    : page_(page),
      fields_(std::move(fields)),
      regular_(
          cairo_toy_font_face_create(kSansFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL)),
      bold_(
          cairo_toy_font_face_create(kSansFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD)) {}

TitleBlockPainter::~TitleBlockPainter() {
  cairo_font_face_destroy(regular_);
  cairo_font_face_destroy(bold_);
}

void TitleBlockPainter::Select(cairo_t* cr, double size, bool bold) const {
  cairo_set_font_face(cr, bold ? bold_ : regular_);
  cairo_set_font_size(cr, size);
}

void TitleBlockPainter::SetSubject(const std::string& subject) {
  subject_ = ShowableText(subject);
  subjectSize_ = 0;
}

// The project's fields, shortened once to their room in the block.
void TitleBlockPainter::FitFields(cairo_t* cr) {
  const double left = kFrameSide + kInset + kLabelWidth;
  const double divider = page_.width - kFrameSide - kRightColumn;
  Select(cr, kFieldSize, true);
  fields_.title = FitText(cr, ShowableText(fields_.title), divider - kInset - left);
  Select(cr, kFieldSize, false);
  fields_.bridge = FitText(cr, ShowableText(fields_.bridge), divider - kInset - left);
  fields_.revision =
      FitText(cr, ShowableText(fields_.revision), kRightColumn - 2 * kInset - kLabelWidth);
  fieldsFitted_ = true;
}

// The subject: smaller until it fits, shortened only below a legible size.
void TitleBlockPainter::FitSubject(cairo_t* cr) {
  const double room = page_.width - 2 * kFrameSide - 2 * kInset;
  Select(cr, kSubjectSize, false);
  const double natural = TextWidthOf(cr, subject_);
  subjectSize_ =
      natural > room ? std::max(kLeastSubjectSize, kSubjectSize * room / natural) : kSubjectSize;
  Select(cr, subjectSize_, false);
  subject_ = FitText(cr, subject_, room);
}

// A small grey label and its value after it.
void TitleBlockPainter::Field(cairo_t* cr, double x, double y, const char* label,
                              const std::string& value, bool bold) const {
  cairo_set_source_rgb(cr, 0.4, 0.4, 0.4);
  Select(cr, kLabelSize, false);
  Show(cr, x, y, label);
  cairo_set_source_rgb(cr, 0, 0, 0);
  Select(cr, kFieldSize, bold);
  Show(cr, x + kLabelWidth, y, value);
}

void TitleBlockPainter::Draw(cairo_t* cr, int64_t sheet, int64_t sheetCount) {
  cairo_save(cr);
  if (!fieldsFitted_) {
    FitFields(cr);
  }
  if (subjectSize_ == 0) {
    FitSubject(cr);
  }
  const double left = kFrameSide;
  const double right = page_.width - kFrameSide;
  const double top = page_.height - kFrameTop;
  const double bottom = page_.height - kFrameBottom;
  const double divider = right - kRightColumn;
  const double rule = bottom - 13;  // above the subject line

  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 0.6);
  cairo_rectangle(cr, left, top, right - left, bottom - top);
  cairo_move_to(cr, left, rule);
  cairo_line_to(cr, right, rule);
  cairo_move_to(cr, divider, top);
  cairo_line_to(cr, divider, rule);
  cairo_stroke(cr);

  const double firstBaseline = top + 11;
  const double secondBaseline = top + 23;
  Field(cr, left + kInset, firstBaseline, "PROJECT", fields_.title, true);
  Field(cr, left + kInset, secondBaseline, "BRIDGE", fields_.bridge, false);
  Field(cr, divider + kInset, secondBaseline, "REVISION", fields_.revision, false);
  cairo_set_source_rgb(cr, 0.4, 0.4, 0.4);
  Select(cr, kLabelSize, false);
  Show(cr, divider + kInset, firstBaseline, "RUN " + fields_.runStamp);

  cairo_set_source_rgb(cr, 0, 0, 0);
  Select(cr, kSheetSize, true);
  const std::string number = SheetNumberText(sheet, sheetCount);
  Show(cr, right - kInset - TextWidthOf(cr, number), firstBaseline, number);
  Select(cr, subjectSize_, false);
  Show(cr, left + kInset, bottom - 4, subject_);
  cairo_restore(cr);
}

}  // namespace kalvorden
