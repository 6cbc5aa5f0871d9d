#pragma once

// The title block at the foot of every sheet of the PDF: which project and
// bridge, which revision, which run, "Sheet n of N", and what the sheet
// holds, so that a sheet found loose on a desk says where it belongs.

#include <cairo.h>

#include <cstdint>
#include <string>

#include "pdf/page_frame.h"
#include "pdf/sheet_text.h"

namespace kalvorden {

struct TitleBlockFields {
  // From the project (any may be empty). The title wraps onto a second
  // line in smaller type where it needs one; the others, and a title too
  // long even for two lines, are shortened with an ellipsis: the cover
  // sheet carries them in full.
  std::string title;
  std::string bridge;
  std::string revision;
  std::string runStamp;  // the run's date and time: "2026-12-07 14:03:09"
  std::string designer;
  std::string checker;
};

// Draws the block in the band kTitleBlockBand high at the foot of each
// sheet. What is the same on every sheet is measured, fitted and drawn
// once, and the subject fitted once each time it changes: a run draws
// thousands of sheets.
class TitleBlockPainter {
 public:
  TitleBlockPainter(const PaperGeometry& page, TitleBlockFields fields);
  ~TitleBlockPainter();
  TitleBlockPainter(const TitleBlockPainter&) = delete;
  TitleBlockPainter& operator=(const TitleBlockPainter&) = delete;

  // What the sheets from now on hold: "Method of design", or a design case
  // with its values in full. Set smaller to fit the block's width, and cut
  // short only where even a small size does not fit.
  void SetSubject(const std::string& subject);

  // The block of PDF page `sheet` of `sheetCount`.
  void Draw(cairo_t* cr, int64_t sheet, int64_t sheetCount);

 private:
  void Select(cairo_t* cr, double size, bool bold) const;
  void FitFields(cairo_t* cr);
  void FitSubject(cairo_t* cr);
  void DrawFixedPart(cairo_t* cr) const;
  void RecordFixedPart(cairo_t* target);

  PaperGeometry page_;
  TitleBlockFields fields_;
  std::string titleSecondLine_;  // empty when the title fits one line
  bool fieldsFitted_ = false;
  std::string subject_;
  PreparedLine subjectLine_;  // the subject, converted once for a case's sheets
  double subjectSize_ = 0;    // 0: not fitted yet
  cairo_font_face_t* regular_ = nullptr;
  cairo_font_face_t* bold_ = nullptr;
  cairo_surface_t* fixedPart_ = nullptr;  // a recording, painted on each sheet
  bool fixedPartTried_ = false;
};

// "Sheet 12 of 340".
std::string SheetNumberText(int64_t sheet, int64_t sheetCount);

}  // namespace kalvorden
