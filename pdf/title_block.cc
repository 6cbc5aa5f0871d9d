#include "pdf/title_block.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "chart/chart_panel.h"
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
constexpr double kWrappedTitleSize = 6.5;
constexpr double kNameSize = 6.5;
constexpr double kNameLabelWidth = 30;
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
  if (fixedPart_ != nullptr) {
    cairo_surface_destroy(fixedPart_);
  }
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
  const double room = divider - kInset - left;
  Select(cr, kFieldSize, true);
  const std::string title = ShowableText(fields_.title);
  if (TextWidthOf(cr, title) > room) {
    // Two lines of smaller type; shortened only beyond them.
    Select(cr, kWrappedTitleSize, true);
    const std::vector<std::string> lines = WrapText(cr, title, room);
    fields_.title = lines.front();
    if (lines.size() > 1) {
      std::string rest = lines[1];
      for (size_t i = 2; i < lines.size(); ++i) {
        rest += " " + lines[i];
      }
      titleSecondLine_ = FitText(cr, rest, room);
    }
  } else {
    fields_.title = title;
  }
  Select(cr, kFieldSize, false);
  fields_.bridge = FitText(cr, ShowableText(fields_.bridge), room);
  const double nameRoom = (kRightColumn - 2 * kInset) / 2 - kNameLabelWidth - 2;
  Select(cr, kNameSize, false);
  fields_.designer = FitText(cr, ShowableText(fields_.designer), nameRoom);
  fields_.checker = FitText(cr, ShowableText(fields_.checker), nameRoom);
  Select(cr, kFieldSize, false);
  fields_.revision = FitText(cr, ShowableText(fields_.revision), nameRoom);
  fieldsFitted_ = true;
}

// The subject: smaller until it fits, shortened only below a legible size.
// The size that fits is the one at which the subject's width is the room's,
// so the decision is taken on the width at the usual size: measured again
// at the smaller size, the same text comes out a few units in the last
// place either side of the room (cairo's sums of advances differ that much
// from one measure to the next), and a subject that fits was shortened or
// not by that noise.
void TitleBlockPainter::FitSubject(cairo_t* cr) {
  const double room = page_.width - 2 * kFrameSide - 2 * kInset;
  Select(cr, kSubjectSize, false);
  const double natural = TextWidthOf(cr, subject_);
  if (natural <= room) {
    subjectSize_ = kSubjectSize;
    return;
  }
  subjectSize_ = kSubjectSize * room / natural;
  if (subjectSize_ >= kLeastSubjectSize) {
    return;
  }
  subjectSize_ = kLeastSubjectSize;
  Select(cr, subjectSize_, false);
  subject_ = FitText(cr, subject_, room);
}

// What is the same on every sheet: the frame, the labels, the project's
// fields, the names and the run's date. The pieces of text go in the order
// drawn, each run of consecutive pieces in one grey and one font shown as
// one TextRun: the same text objects in the file as a piece at a time
// (cairo joins such pieces into one), in fewer operations, which count on
// every sheet since each analyses the form again.
void TitleBlockPainter::DrawFixedPart(cairo_t* cr) const {
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

  struct Style {
    double grey;
    double size;
    bool bold;
    bool operator==(const Style&) const = default;
  };
  TextRun run;
  Style runStyle{};
  const auto showRun = [&]() {
    cairo_set_source_rgb(cr, runStyle.grey, runStyle.grey, runStyle.grey);
    Select(cr, runStyle.size, runStyle.bold);
    run.Show(cr);
  };
  const auto piece = [&](const Style& style, double x, double y, const std::string& text) {
    if (text.empty()) {
      return;  // nothing shown, as cairo_show_text shows nothing
    }
    if (!run.empty() && !(style == runStyle)) {
      showRun();
    }
    runStyle = style;
    Select(cr, style.size, style.bold);
    run.Add(cr, x, y, text);
  };
  const Style label = {0.4, kLabelSize, false};
  const double firstBaseline = top + 11;
  const double secondBaseline = top + 23;
  const double valueLeft = left + kInset + kLabelWidth;
  if (titleSecondLine_.empty()) {
    piece(label, left + kInset, firstBaseline, "PROJECT");
    piece({0, kFieldSize, true}, valueLeft, firstBaseline, fields_.title);
    piece(label, left + kInset, secondBaseline, "BRIDGE");
    piece({0, kFieldSize, false}, valueLeft, secondBaseline, fields_.bridge);
  } else {
    // The title on two lines, the bridge beside the label under them.
    piece(label, left + kInset, top + 8, "PROJECT");
    piece(label, left + kInset, secondBaseline, "BRIDGE");
    piece({0, kWrappedTitleSize, true}, valueLeft, top + 8, fields_.title);
    piece({0, kWrappedTitleSize, true}, valueLeft, top + 15.5, titleSecondLine_);
    piece({0, kFieldSize, false}, valueLeft, secondBaseline, fields_.bridge);
  }
  piece(label, divider + kInset, secondBaseline + 1, "REVISION");
  piece({0, kNameSize, false}, divider + kInset + kNameLabelWidth, secondBaseline + 1,
        fields_.revision);
  // The designer, the checker and the run's date: who answers for the
  // sheet, and when it was made.
  const double half = (kRightColumn - 2 * kInset) / 2;
  const double namesBaseline = top + 16;
  const struct {
    const char* label;
    const std::string* name;
  } names[] = {{"DESIGNER", &fields_.designer}, {"CHECKER", &fields_.checker}};
  for (size_t i = 0; i < std::size(names); ++i) {
    // The designer under the date, the checker beside the revision: the
    // sheet number keeps the right of the top line.
    const double x = divider + kInset + static_cast<double>(i) * half;
    const double y = i == 0 ? namesBaseline : secondBaseline + 1;
    piece(label, x, y, names[i].label);
    piece({0, kNameSize, false}, x + kNameLabelWidth, y, *names[i].name);
  }
  piece(label, divider + kInset, top + 8, "DATE " + fields_.runStamp);
  showRun();
}

// The fixed part drawn once into a recording surface, which the PDF writes
// once as a form and each sheet paints: a run of thousands of sheets set
// the same fifteen pieces of text on each, with the target's font options
// (DrawToRecording). Left null, and the part drawn on every sheet, should the recording fail.
void TitleBlockPainter::RecordFixedPart(cairo_t* target) {
  fixedPartTried_ = true;
  fixedPart_ = DrawToRecording({0, page_.height - kTitleBlockBand, page_.width, kTitleBlockBand},
                               target, [this](cairo_t* recording) { DrawFixedPart(recording); });
}

void TitleBlockPainter::Draw(cairo_t* cr, int64_t sheet, int64_t sheetCount) {
  cairo_save(cr);
  if (!fieldsFitted_) {
    FitFields(cr);
  }
  if (subjectSize_ == 0) {
    FitSubject(cr);
  }
  if (!fixedPartTried_) {
    RecordFixedPart(cr);
  }
  if (fixedPart_ != nullptr) {
    cairo_set_source_surface(cr, fixedPart_, 0, 0);
    cairo_paint(cr);
  } else {
    DrawFixedPart(cr);
  }
  const double right = page_.width - kFrameSide;
  const double top = page_.height - kFrameTop;
  const double bottom = page_.height - kFrameBottom;
  cairo_set_source_rgb(cr, 0, 0, 0);
  Select(cr, kSheetSize, true);
  const std::string number = SheetNumberText(sheet, sheetCount);
  Show(cr, right - kInset - TextWidthOf(cr, number), top + 11, number);
  Select(cr, subjectSize_, false);
  subjectLine_.Show(cr, kFrameSide + kInset, bottom - 4, subject_);
  cairo_restore(cr);
}

}  // namespace kalvorden
