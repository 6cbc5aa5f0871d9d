#pragma once

// The PDF file itself, apart from what its sheets hold: the byte sink
// between cairo and the pending file, cairo's surface and context, the
// document's metadata, its bookmarks, the title block that ends every
// sheet, and the monospaced glyphs the table and calculation sheets set.
// Sheet writers draw on `cr()` and end each sheet with EndSheet.

#include <cairo.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fault/fault.h"
#include "pdf/page_frame.h"
#include "pdf/title_block.h"
#include "report/local_date_time.h"

namespace kalvorden {

// What the document's information dictionary says.
struct DocumentMetadata {
  std::string title;        // names the run
  std::string subject;      // the project and the bridge
  std::string author;       // the designer
  std::string creator;      // the program and its version
  std::string createdDate;  // "2026-12-07T14:03:09"
};

// Why a document failed: `disk` when writing its bytes failed (errno
// `error`), otherwise cairo's own reason.
struct DocumentFailure {
  bool failed = false;
  bool disk = false;
  std::string reason;
};

// The failure of a document writing the file named by `label` ("PDF file
// \"r.pdf\""): a failure of the disk is a write failure; any other is
// cairo's, and its line says so rather than blaming the disk.
Fault DocumentFault(const DocumentFailure& failure, const std::string& label);

// The run's date and time, "2026-12-07T14:03:09" with `separator` 'T'.
std::string IsoDate(const LocalDateTime& now, char separator = 'T');

// The program and its version as a package names it: "kalvorden 1.0.0".
const char* ProgramVersion();

class PdfDocument {
 public:
  PdfDocument(PaperSize paper, TitleBlockFields fields);
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  // Starts the document on the open file `descriptor` (not taken over).
  void Open(int descriptor, const DocumentMetadata& metadata);
  // Starts the document into `bytes`, which must outlive it (appended to as
  // pages are finished; whole after Close).
  void OpenInMemory(std::string& bytes, const DocumentMetadata& metadata);
  bool open() const { return cr_ != nullptr; }

  cairo_t* cr() const { return cr_; }
  PaperSize paper() const { return paper_; }
  PaperGeometry page() const { return GeometryOf(paper_); }

  // The number every sheet's title block gives as "of N".
  void SetSheetCount(int64_t sheetCount) { sheetCount_ = sheetCount; }
  int64_t sheetCount() const { return sheetCount_; }
  int64_t sheetsDrawn() const { return sheetsDrawn_; }
  int64_t nextSheet() const { return sheetsDrawn_ + 1; }

  // Draws the title block of the sheet being finished, naming `subject`,
  // and shows the page.
  void EndSheet(const std::string& subject);

  // A bookmark under `parent` (CAIRO_PDF_OUTLINE_ROOT or a bookmark this
  // returned) leading to sheet `sheet`.
  int AddBookmark(int parent, const std::string& title, int64_t sheet);

  // Lines of printable ASCII set on a monospaced grid from (left, top), a
  // character every `characterPitch` and a line every `linePitch` points;
  // with `leaveOut`, the lines it marks true left out (their place kept).
  // On `target` (a recording to be painted on the document's sheets), or
  // on the document. The monospaced font must be selected there.
  void ShowMonospacedLines(const std::vector<std::string>& lines, double left, double top,
                           double characterPitch, double linePitch,
                           const std::vector<bool>* leaveOut = nullptr, cairo_t* target = nullptr);

  // The first failure so far, if any.
  DocumentFailure Failure() const;

  // Finishes the file (fonts, bookmarks, cross-references) and flushes the
  // sink; the failure, if any.
  DocumentFailure Close();

  // Lets go of cairo without writing anything more to the file.
  void Release() noexcept;

  struct Sink;

 private:
  void Start(int descriptor, std::string* memory, const DocumentMetadata& metadata);
  void LearnGlyphs();

  PaperSize paper_;
  std::unique_ptr<TitleBlockPainter> titleBlock_;
  std::string subject_;  // of the sheets being drawn
  int64_t sheetCount_ = 0;
  int64_t sheetsDrawn_ = 0;
  std::unique_ptr<Sink> sink_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::array<unsigned long, 128> glyphs_{};
  bool glyphsKnown_ = false;
  std::vector<cairo_glyph_t> pageGlyphs_;  // reused page after page
};

}  // namespace kalvorden
