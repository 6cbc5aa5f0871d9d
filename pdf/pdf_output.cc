#include "pdf/pdf_output.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <malloc.h>
#include <unistd.h>

#include "chart/case_chart.h"
#include "design/design_cases.h"
#include "explain/calculation_sheet.h"
#include "pdf/case_columns.h"
#include "pdf/comparison_pages.h"
#include "pdf/method_sheet.h"
#include "pdf/page_frame.h"
#include "pdf/sheet_flow.h"
#include "pdf/sheet_text.h"
#include "pdf/title_block.h"
#include "report/case_pages.h"
#include "report/printed_span.h"
#include "report/report_file.h"
#include "report/report_pages.h"
#include "report/report_row.h"

namespace kalvorden {

// The file the PDF is streamed into (the pending file's temporary file),
// written through a buffer. The first failed write is kept and
// nothing more is written after it.
struct PdfOutput::Sink {
  int descriptor = -1;  // the pending file's
  int error = 0;        // errno of the first failed write
  std::unique_ptr<char[]> buffer;
  size_t buffered = 0;
  bool discarding = false;  // abandoned: cairo's last words go nowhere

  static constexpr size_t kBufferSize = 1 << 16;

  void Flush() {
    if (error == 0) {
      error = WriteAll(descriptor, buffer.get(), buffered);
    }
    buffered = 0;
  }

  bool Append(const unsigned char* data, size_t length) {
    while (length > 0 && error == 0 && !discarding) {
      if (buffered == kBufferSize) {
        Flush();
        continue;
      }
      const size_t piece = std::min(length, kBufferSize - buffered);
      std::memcpy(buffer.get() + buffered, data, piece);
      buffered += piece;
      data += piece;
      length -= piece;
    }
    return error == 0;
  }
};

namespace {

// The PDF's own stream callback, of exactly cairo's write function type.
cairo_status_t WriteToSink(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<PdfOutput::Sink*>(closure);
  return sink->Append(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// The table font's size makes its character pitch exactly 6 pt, so
// `pdftotext -layout -fixed 6` gives every line back as the report prints
// it, blanks included.
constexpr double kTableCharacterPitch = 6;
constexpr double kTableFontSize = MonoFontSizeForPitch(kTableCharacterPitch);
constexpr double kTableLinePitch = 11;
// A report page has at most 66 printed lines (18 of heading, 40 rows, 7
// blank, the footer).
constexpr int kReportPageLines = 66;

// Free memory at the top of the heap that is kept rather than given back to
// the system (see Start).
constexpr int kKeptHeap = 64 << 20;

constexpr double kChartCaptionSize = 12;

// A calculation sheet's lines are at most 100 characters; at a pitch of
// 4.8 pt they take 480 pt, within the margins of either paper.
constexpr double kCalculationCharacterPitch = 4.8;
constexpr double kCalculationLinePitch = 9.6;
constexpr size_t kCalculationColumns = 100;

constexpr double kLargestIndexFontSize = 8;
constexpr double kIndexLinePitch = 11;
constexpr double kIndexTableTop = 130;  // baseline of the first entry

std::string CaseCaption(int64_t caseNumber, int64_t caseCount) {
  return "Design case " + std::to_string(caseNumber) + " of " + std::to_string(caseCount);
}

// The run's date and time, "2026-12-07T14:03:09" with `separator` 'T'.
std::string IsoDate(const LocalDateTime& now, char separator = 'T') {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%02d", now.year % 10000,
                now.month % 100, now.day % 100, separator, now.hour % 100, now.minute % 100,
                now.second % 100);
  return text;
}

#ifndef KALVORDEN_VERSION
#error "KALVORDEN_VERSION must be defined by the build (the project's version)"
#endif
constexpr const char* kProgram = "kalvorden " KALVORDEN_VERSION;

}  // namespace

int32_t IndexEntriesPerPage(PaperSize paper) {
  return LinesPerSheet(GeometryOf(paper), kIndexTableTop, kIndexLinePitch);
}

int32_t IndexPageCount(PaperSize paper, int64_t caseCount) {
  return PagesFor(caseCount, IndexEntriesPerPage(paper));
}

int32_t CalculationLinesPerPage(PaperSize paper) {
  return LinesPerSheet(GeometryOf(paper), kTopMargin, kCalculationLinePitch);
}

int32_t CalculationPageCount(PaperSize paper, int64_t lineCount) {
  return PagesFor(lineCount, CalculationLinesPerPage(paper));
}

namespace {

// Each case takes its three table pages and a chart page, then its
// calculation sheet when a row governs.
constexpr int32_t kPagesPerCaseBeforeSheet = 4;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = std::min(text.find('\n', at), text.size());
    std::string line = text.substr(at, end - at);
    // The sheet's lines are at most 100 columns; a longer one would run off
    // the page, so it continues on the next line instead.
    do {
      lines.push_back(line.substr(0, kCalculationColumns));
      line.erase(0, std::min(line.size(), kCalculationColumns));
    } while (!line.empty());
    at = end + 1;
  }
  return lines;
}

std::string Trimmed(std::string_view text) {
  const size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

}  // namespace

std::unique_ptr<CaseOutput> MakePdfOutput(const OutputSettings& settings) {
  return std::make_unique<PdfOutput>(settings);
}

PdfOutput::PdfOutput(const OutputSettings& settings)
    : paper_(settings.paper),
      settings_(settings),
      creationDate_(IsoDate(settings.now)),
      runStamp_(IsoDate(settings.now, ' ')),
      titleBlock_(std::make_unique<TitleBlockPainter>(
          GeometryOf(settings.paper),
          TitleBlockFields{settings.project.title, settings.project.bridge,
                           settings.project.revision, runStamp_})) {
  StampHeaderLines(headings_, settings.now);
}

PdfOutput::~PdfOutput() {
  Abandon();
}

void PdfOutput::FailWith(const std::string& detail) {
  if (failure().ok()) {
    Fail({kFaultWriteFailure, "write failure", "writing " + label(), detail});
  }
}

bool PdfOutput::CheckHealth() {
  if (!failure().ok()) {
    return false;
  }
  if (sink_ == nullptr) {
    FailWith("the file was not created");
  } else if (sink_->error != 0) {
    FailWith(std::strerror(sink_->error));
  } else if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
    FailWith(cairo_status_to_string(cairo_status(cr_)));
  } else if (cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
    FailWith(cairo_status_to_string(cairo_surface_status(surface_)));
  }
  return failure().ok();
}

int PdfOutput::BeginPending(const std::string& name, bool replace) {
  SetLabel(OutputLabel("PDF", name));
  return CreatePending(name, replace);
}

bool PdfOutput::Start(const DesignInputs& inputs) {
  if (pending().descriptor() < 0 || sink_ != nullptr) {
    FailWith("the file was not created");
    return false;
  }
  // cairo builds each page in memory and frees it when the page is written;
  // with glibc's default trim threshold (128 KiB) every page shrank the heap
  // and the next grew it again, about 5 s of system time in a 3125-case run.
  // Freed memory is kept for reuse instead: the peak is the same.
  mallopt(M_TRIM_THRESHOLD, kKeptHeap);
  sink_ = std::make_unique<Sink>();
  sink_->descriptor = pending().descriptor();
  sink_->buffer = std::make_unique<char[]>(Sink::kBufferSize);
  caseCount_ = DesignCaseCount(inputs);

  const PaperGeometry page = GeometryOf(paper_);
  surface_ = cairo_pdf_surface_create_for_stream(WriteToSink, sink_.get(), page.width, page.height);
  cr_ = cairo_create(surface_);
  SetMetadata();
  PlanSheets(inputs);
  WriteCover(inputs);
  WriteMethod();
  WriteIndex(inputs);
  if (comparisonSheets_ > 0) {
    comparison_ = std::make_unique<CaseComparison>(settings_.governingRow);
  }
  return CheckHealth();
}

void PdfOutput::Survey(const DesignedCase& designed) {
  if (comparison_ != nullptr) {
    comparison_->Add(designed);
  }
}

// The comparison's sheets, before the first case's; the index has counted
// them, so a survey that missed a case is a failure, not a shorter file.
void PdfOutput::WriteComparison() {
  comparisonWritten_ = true;
  if (comparison_ == nullptr) {
    return;
  }
  if (comparison_->caseCount() != caseCount_) {
    FailWith("the comparison saw " + std::to_string(comparison_->caseCount()) + " of " +
             std::to_string(caseCount_) + " design cases");
    return;
  }
  const int64_t first = pagesWritten_ + 1;
  WriteComparisonPages(cr_,
                       {GeometryOf(paper_), paper_, runStamp_,
                        [this](const std::string& subject) { EndSheet(subject); }},
                       *comparison_);
  AddBookmark(CAIRO_PDF_OUTLINE_ROOT, "Comparison of the design cases", first);
  comparison_.reset();  // its rows are on the sheets now
}

// The document's title names the run, its subject the project and the
// bridge, its author the designer.
void PdfOutput::SetMetadata() {
  const std::string title = "KALVORDEN slab design, " + std::to_string(caseCount_) +
                            (caseCount_ == 1 ? " design case" : " design cases");
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "kalvorden");
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATE_DATE, creationDate_.c_str());
  const ProjectIdentity& project = settings_.project;
  std::string subject = project.title;
  subject += !subject.empty() && !project.bridge.empty() ? ", " : "";
  subject += project.bridge;
  if (!subject.empty()) {
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_SUBJECT,
                                   ShowableText(subject).c_str());
  }
  if (!project.designer.empty()) {
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_AUTHOR,
                                   ShowableText(project.designer).c_str());
  }
}

// Counts every part's sheets before the first is drawn, so that each sheet
// can say "Sheet n of N".
void PdfOutput::PlanSheets(const DesignInputs& inputs) {
  std::vector<int32_t> calculationPages;
  if (HasGoverningRow(settings_)) {
    governing_.reserve(static_cast<size_t>(caseCount_));
    calculationPages.reserve(static_cast<size_t>(caseCount_));
    ForEachDesignCase(inputs, [&](const DesignCase& c) {
      const CalculationSheet sheet = WriteCalculationSheet(c, settings_.governingRow);
      governing_.push_back(GoverningResultOf(sheet.span));
      calculationPages.push_back(
          CalculationPageCount(paper_, static_cast<int64_t>(SplitLines(sheet.text).size())));
    });
  }
  const PaperGeometry page = GeometryOf(paper_);
  SheetFlow cover(cr_, page, false);
  ComposeCover(cover, {&settings_, &inputs, kProgram, runStamp_, &governing_, {}});
  const int32_t coverSheets = cover.Finish();
  SheetFlow method(cr_, page, false);
  ComposeMethodSheet(method);
  const int32_t methodSheets = method.Finish();
  indexSheets_ = IndexPageCount(paper_, caseCount_);
  comparisonSheets_ = ComparisonPageCount(paper_, caseCount_);

  caseStarts_.assign(1, int64_t{coverSheets} + methodSheets + indexSheets_ + comparisonSheets_ + 1);
  caseStarts_.reserve(static_cast<size_t>(caseCount_) + 1);
  for (int64_t n = 0; n < caseCount_; ++n) {
    const int32_t sheets = calculationPages.empty() ? 0 : calculationPages[static_cast<size_t>(n)];
    caseStarts_.push_back(caseStarts_.back() + kPagesPerCaseBeforeSheet + sheets);
  }
  sheetCount_ = caseStarts_.back() - 1;
}

int64_t PdfOutput::FirstSheetOfCase(int64_t caseNumber) const {
  const auto at = static_cast<size_t>(caseNumber - 1);
  return at < caseStarts_.size() ? caseStarts_[at] : 0;
}

// Draws the title block of the sheet being finished and shows it.
void PdfOutput::EndSheet(const std::string& subject) {
  if (subject != subject_) {
    subject_ = subject;
    titleBlock_->SetSubject(subject);
  }
  titleBlock_->Draw(cr_, pagesWritten_ + 1, sheetCount_);
  cairo_show_page(cr_);
  ++pagesWritten_;
}

void PdfOutput::AddBookmark(int parent, const std::string& title, int64_t page) {
  const std::string link = "page=" + std::to_string(page);
  cairo_pdf_surface_add_outline(surface_, parent, ShowableText(title).c_str(), link.c_str(),
                                CAIRO_PDF_OUTLINE_FLAG_OPEN);
}

void PdfOutput::WriteCover(const DesignInputs& inputs) {
  const int64_t first = pagesWritten_ + 1;
  SheetFlow cover(cr_, GeometryOf(paper_), true,
                  [&](int32_t) { EndSheet("Cover sheet of the calculation package"); });
  ComposeCover(cover, {&settings_, &inputs, kProgram, runStamp_, &governing_,
                       [this](int64_t n) { return FirstSheetOfCase(n); }});
  cover.Finish();
  AddBookmark(CAIRO_PDF_OUTLINE_ROOT, "Cover sheet", first);
}

void PdfOutput::WriteMethod() {
  const int64_t first = pagesWritten_ + 1;
  SheetFlow method(cr_, GeometryOf(paper_), true, [&](int32_t) { EndSheet("Method of design"); });
  ComposeMethodSheet(method);
  method.Finish();
  AddBookmark(CAIRO_PDF_OUTLINE_ROOT, "Method of design", first);
}

// A line of notes above a table, in 9 pt or, where that would run past the
// right margin (a run of thousands of cases), as much smaller as it needs.
void PdfOutput::ShowNoteLine(double baseline, const std::string& text) {
  constexpr double kNoteSize = 9;
  const double room = GeometryOf(paper_).width - 2 * kSideMargin;
  SelectFont(cr_, kSansFont, kNoteSize);
  const double width = TextWidthOf(cr_, text);
  if (width > room) {
    SelectFont(cr_, kSansFont, kNoteSize * room / width);
  }
  ShowLine(cr_, kSideMargin, baseline, text);
}

void PdfOutput::WriteIndex(const DesignInputs& inputs) {
  const int64_t first = pagesWritten_ + 1;
  const int32_t perPage = IndexEntriesPerPage(paper_);
  const int32_t pages = indexSheets_;
  const CaseColumns columns(inputs);
  const size_t caseWidth = std::max<size_t>(6, std::to_string(caseCount_).size() + 1);
  // n grows as fc falls (26402 for fc 1e-6): its column is as wide as the
  // largest n of the run.
  int32_t largestRatio = 0;
  for (int32_t i = 0; i < std::clamp(inputs.concreteStresses.count, 0, kListCapacity); ++i) {
    largestRatio = std::max(
        largestRatio, DeriveModularRatio(inputs.concreteStresses.values[static_cast<size_t>(i)]));
  }
  const size_t ratioWidth = std::max<size_t>(4, std::to_string(largestRatio).size() + 1);
  const std::string heading1 = PadCell("Case", caseWidth) + columns.Heading(0) +
                               PadCell("n", ratioWidth) + PadCell("CF", 5) + "Sheet";
  const std::string heading2 = PadCell("", caseWidth) + columns.Heading(1);
  const double monoSize = MonoSizeToFit(
      heading1.size() + 2, GeometryOf(paper_).width - 2 * kSideMargin, kLargestIndexFontSize);
  const bool sheets = HasGoverningRow(settings_);
  int64_t caseNumber = 0;
  int32_t indexPage = 0;
  auto startPage = [&]() {
    ++indexPage;
    cairo_set_source_rgb(cr_, 0, 0, 0);
    SelectFont(cr_, kSansFont, 13, CAIRO_FONT_WEIGHT_BOLD);
    ShowLine(cr_, kSideMargin, kTopMargin + 6,
             "Service load design of bridge slab (metric): design cases");
    const int64_t comparisonFrom = first + pages;
    ShowNoteLine(
        kTopMargin + 24,
        "Run of " + runStamp_ + ", " + std::to_string(caseCount_) + " design cases. Index page " +
            std::to_string(indexPage) + " of " + std::to_string(pages) + "." +
            (comparisonSheets_ > 0
                 ? " Comparison of the cases by reinforcing steel per m^2 of deck: sheets " +
                       std::to_string(comparisonFrom) + " to " +
                       std::to_string(comparisonFrom + comparisonSheets_ - 1) + "."
                 : std::string()));
    ShowNoteLine(kTopMargin + 36,
                 std::string("Each case: 3 table sheets and a chart") +
                     (sheets ? ", then the calculation sheet of its governing row." : ".") +
                     " Sheet: where the case begins.");
    SelectFont(cr_, kMonoFont, monoSize);
    ShowLine(cr_, kSideMargin, kIndexTableTop - 2.4 * kIndexLinePitch, heading1);
    ShowLine(cr_, kSideMargin, kIndexTableTop - 1.4 * kIndexLinePitch, heading2);
  };
  auto endPage = [&]() {
    EndSheet("Index of design cases, page " + std::to_string(indexPage) + " of " +
             std::to_string(pages));
  };
  if (caseCount_ == 0) {
    startPage();
    ShowLine(cr_, kSideMargin, kIndexTableTop, "The run has no design case.");
    endPage();
  }
  ForEachDesignCase(inputs, [&](const DesignCase& c) {
    const int32_t line = static_cast<int32_t>(caseNumber % perPage);
    ++caseNumber;
    if (line == 0) {
      startPage();
    }
    const std::string entry = PadCell(std::to_string(caseNumber), caseWidth) + columns.Cells(c) +
                              PadCell(std::to_string(c.modularRatio), ratioWidth) +
                              PadCell(c.continuityFactor == 1 ? "1.0" : "0.8", 5) +
                              PadCellLeft(std::to_string(FirstSheetOfCase(caseNumber)), 5);
    // No link from the entry to its page: cairo 1.16 writes a link to a page
    // not yet drawn as a reference to an object it never emits (a damaged
    // file). The bookmarks, made once their pages exist, lead there instead.
    ShowLine(cr_, kSideMargin, kIndexTableTop + line * kIndexLinePitch, entry);
    if (line == perPage - 1 || caseNumber == caseCount_) {
      endPage();
    }
  });
  AddBookmark(CAIRO_PDF_OUTLINE_ROOT, "Index of design cases", first);
}

void PdfOutput::WriteTablePage(const std::vector<std::string>& lines, int64_t caseNumber,
                               const std::string& subject, int64_t markedLine) {
  const PaperGeometry page = GeometryOf(paper_);
  cairo_set_source_rgb(cr_, 0.35, 0.35, 0.35);
  SelectFont(cr_, kSansFont, 8);
  ShowLine(cr_, kSideMargin, kCaptionBaseline, CaseCaption(caseNumber, caseCount_));

  // The report's lines are 70 characters at most (11 blanks and the 59 of
  // the forms); the block is centred on the page, its last line above the
  // title block.
  const double left = (page.width - 70 * kTableCharacterPitch) / 2;
  const double pitch =
      std::min(kTableLinePitch, (LowestBaseline(page) - kTopMargin) / (kReportPageLines - 1));
  if (markedLine >= 0) {
    // The governing row: a light band behind it and a mark in the margin,
    // both drawn, not text, so the page's text stays the report's.
    const double baseline = kTopMargin + static_cast<double>(markedLine) * pitch;
    cairo_set_source_rgb(cr_, 0.86, 0.86, 0.86);
    cairo_rectangle(cr_, left + 10 * kTableCharacterPitch, baseline - 0.78 * pitch,
                    60 * kTableCharacterPitch, pitch);
    cairo_fill(cr_);
    cairo_set_source_rgb(cr_, 0, 0, 0);
    cairo_move_to(cr_, left - 14, baseline - 7);
    cairo_line_to(cr_, left - 4, baseline - 3);
    cairo_line_to(cr_, left - 14, baseline + 1);
    cairo_close_path(cr_);
    cairo_fill(cr_);
    cairo_set_source_rgb(cr_, 0.35, 0.35, 0.35);
    SelectFont(cr_, kSansFont, 8);
    const std::string row = PrintedSpan(settings_.governingRow);
    const std::string span = settings_.spanText.empty() ? row : settings_.spanText;
    const std::string note = FitText(
        cr_,
        "Marked row: S = " + row + " m governs the bridge's span of " + ShowableText(span) + " m",
        page.width - 2 * kSideMargin - 100);
    ShowLine(cr_, page.width - kSideMargin - TextWidthOf(cr_, note), kCaptionBaseline, note);
  }
  cairo_set_source_rgb(cr_, 0, 0, 0);
  SelectFont(cr_, kMonoFont, kTableFontSize);
  ShowMonospacedLines(lines, left, kTopMargin, kTableCharacterPitch, pitch);
  EndSheet(subject);
}

// The whole page goes to cairo as one run of glyphs, each character at its
// cell of the monospaced grid and the blanks left out: many times faster
// than a call per line, and the same page. (Readers take the blanks from the
// gaps, as they do for any PDF text.) The monospaced font must be selected.
void PdfOutput::ShowMonospacedLines(const std::vector<std::string>& lines, double left, double top,
                                    double characterPitch, double linePitch) {
  if (!tableGlyphsKnown_) {
    LearnTableGlyphs();
  }
  pageGlyphs_.clear();
  double baseline = top;
  for (const std::string& line : lines) {
    for (size_t column = 0; column < line.size(); ++column) {
      const auto code = static_cast<unsigned char>(line[column]);
      if (code != ' ') {
        const unsigned long glyph = code < tableGlyphs_.size() ? tableGlyphs_[code] : 0;
        pageGlyphs_.push_back(
            {glyph, left + static_cast<double>(column) * characterPitch, baseline});
      }
    }
    baseline += linePitch;
  }
  cairo_show_glyphs(cr_, pageGlyphs_.data(), static_cast<int>(pageGlyphs_.size()));
}

// The glyph of every printable ASCII character in the monospaced font (the
// report's lines and the calculation sheet hold nothing else); anything
// else shows as the font's missing-glyph box. A glyph's number is the
// font's, whatever its size.
void PdfOutput::LearnTableGlyphs() {
  tableGlyphs_.fill(0);
  cairo_scaled_font_t* font = cairo_get_scaled_font(cr_);
  for (int code = '!'; code <= '~'; ++code) {
    const char text[2] = {static_cast<char>(code), '\0'};
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    if (cairo_scaled_font_text_to_glyphs(font, 0, 0, text, 1, &glyphs, &count, nullptr, nullptr,
                                         nullptr) == CAIRO_STATUS_SUCCESS &&
        count == 1) {
      tableGlyphs_[code] = glyphs[0].index;
    }
    cairo_glyph_free(glyphs);
  }
  tableGlyphsKnown_ = true;
}

void PdfOutput::WriteChartPage(const DesignedCase& designed, int64_t caseNumber,
                               const std::string& subject) {
  const PaperGeometry page = GeometryOf(paper_);
  cairo_set_source_rgb(cr_, 0, 0, 0);
  SelectFont(cr_, kSansFont, kChartCaptionSize, CAIRO_FONT_WEIGHT_BOLD);
  // The caption's capitals (about 0.73 em high) start at the margin.
  const double captionBaseline = kChartPageMargin + kChartCaptionSize * 0.75;
  ShowLine(cr_, kChartPageMargin, captionBaseline,
           CaseCaption(caseNumber, caseCount_) +
               ": slab thickness, main bar spacing and reinforcing steel");
  const double chartTop = captionBaseline + kChartCaptionSize;
  const double chartWidth = page.width - 2 * kChartPageMargin;
  const double chartHeight = page.height - kTitleBlockBand - chartTop;
  cairo_save(cr_);
  cairo_translate(cr_, kChartPageMargin, chartTop);
  DrawCaseChart(cr_, designed, chartWidth, chartHeight);
  cairo_restore(cr_);
  EndSheet(subject);
}

// The calculation sheet of the case's governing row, on the pages counted
// for it in Start. False (the output failed) if its text has changed since.
bool PdfOutput::WriteCalculationPages(const DesignedCase& designed, const std::string& subject) {
  const CalculationSheet sheet = WriteCalculationSheet(designed.designCase, settings_.governingRow);
  const std::vector<std::string> lines = SplitLines(sheet.text);
  const int32_t pages = CalculationPageCount(paper_, static_cast<int64_t>(lines.size()));
  const int64_t planned = caseStarts_[static_cast<size_t>(casesWritten_)] -
                          caseStarts_[static_cast<size_t>(casesWritten_ - 1)] -
                          kPagesPerCaseBeforeSheet;
  if (pages != planned) {
    FailWith("case " + std::to_string(casesWritten_) + "'s calculation sheet took " +
             std::to_string(pages) + " pages where " + std::to_string(planned) + " were numbered");
    return false;
  }
  const PaperGeometry page = GeometryOf(paper_);
  const auto perPage = static_cast<size_t>(CalculationLinesPerPage(paper_));
  const double left = (page.width - kCalculationColumns * kCalculationCharacterPitch) / 2;
  for (int32_t p = 0; p < pages; ++p) {
    cairo_set_source_rgb(cr_, 0.35, 0.35, 0.35);
    SelectFont(cr_, kSansFont, 8);
    ShowLine(cr_, kSideMargin, kCaptionBaseline,
             CaseCaption(casesWritten_, caseCount_) + ": calculation sheet of the governing row, " +
                 "S = " + PrintedSpan(settings_.governingRow) + " m, page " +
                 std::to_string(p + 1) + " of " + std::to_string(pages));
    const size_t from = static_cast<size_t>(p) * perPage;
    const std::vector<std::string> pageLines(
        lines.begin() + static_cast<std::ptrdiff_t>(from),
        lines.begin() + static_cast<std::ptrdiff_t>(std::min(lines.size(), from + perPage)));
    cairo_set_source_rgb(cr_, 0, 0, 0);
    SelectFont(cr_, kMonoFont, MonoFontSizeForPitch(kCalculationCharacterPitch));
    ShowMonospacedLines(pageLines, left, kTopMargin, kCalculationCharacterPitch,
                        kCalculationLinePitch);
    EndSheet(subject);
  }
  return true;
}

bool PdfOutput::Write(const DesignedCase& designed) {
  if (!CheckHealth()) {
    return false;
  }
  if (!comparisonWritten_) {
    WriteComparison();
    if (!CheckHealth()) {
      return false;
    }
  }
  if (casesWritten_ == caseCount_) {
    FailWith("more design cases than the index numbered");
    return false;
  }
  ++casesWritten_;
  const int64_t firstPage = pagesWritten_ + 1;
  const std::string subject =
      CaseCaption(casesWritten_, caseCount_) + ": " + DescribeCaseValues(designed.designCase);
  CasePages pages;
  const int32_t spanCount = std::clamp(designed.sweep.spanCount, 0, kSpansPerCase);
  FormatCasePages(headings_, designed.designCase, std::span(designed.spans, spanCount), pages);
  const bool governs = HasGoverningRow(settings_) && settings_.governingRow < spanCount;
  const std::string marked =
      governs ? Trimmed(std::string(11, ' ') +
                        std::string(View(FormatRow(designed.spans[settings_.governingRow]))))
              : std::string();
  for (const std::vector<std::string>& lines : pages.pages) {
    int64_t markedLine = -1;
    for (size_t i = 0; governs && i < lines.size(); ++i) {
      if (Trimmed(lines[i]) == marked) {
        markedLine = static_cast<int64_t>(i);
      }
    }
    WriteTablePage(lines, casesWritten_, subject, markedLine);
  }
  WriteChartPage(designed, casesWritten_, subject);
  const int64_t sheetPage = pagesWritten_ + 1;
  if (HasGoverningRow(settings_) && !WriteCalculationPages(designed, subject)) {
    return false;
  }
  const std::string bookmark =
      "Case " + std::to_string(casesWritten_) + ": " + DescribeCaseValues(designed.designCase);
  const int caseOutline = cairo_pdf_surface_add_outline(
      surface_, CAIRO_PDF_OUTLINE_ROOT, ShowableText(bookmark).c_str(),
      ("page=" + std::to_string(firstPage)).c_str(), CAIRO_PDF_OUTLINE_FLAG_OPEN);
  if (HasGoverningRow(settings_)) {
    AddBookmark(caseOutline,
                "Case " + std::to_string(casesWritten_) +
                    ": calculation sheet of the governing row, S = " +
                    PrintedSpan(settings_.governingRow) + " m",
                sheetPage);
  }
  return CheckHealth();
}

bool PdfOutput::Finish() {
  if (!CheckHealth()) {
    Abandon();
    return false;
  }
  if (casesWritten_ != caseCount_) {
    FailWith("the run ended after " + std::to_string(casesWritten_) + " of " +
             std::to_string(caseCount_) + " design cases");
    Abandon();
    return false;
  }
  if (pagesWritten_ != sheetCount_) {
    FailWith(std::to_string(pagesWritten_) + " sheets were drawn where " +
             std::to_string(sheetCount_) + " were numbered");
    Abandon();
    return false;
  }
  // Finishing the surface writes the fonts, the bookmarks and the
  // cross-reference table: the file is complete only after it.
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  const cairo_status_t status = cairo_surface_status(surface_);
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  sink_->Flush();
  if (sink_->error != 0) {
    FailWith(std::strerror(sink_->error));
  } else if (status != CAIRO_STATUS_SUCCESS) {
    FailWith(cairo_status_to_string(status));
  } else if (const int failure = pending().Finish(); failure != 0) {
    FailWith(std::strerror(failure));
  }
  if (!failure().ok()) {
    Abandon();
    return false;
  }
  Release();
  return true;
}

void PdfOutput::Abandon() noexcept {
  Release();
  pending().Abandon();
}

// Lets go of cairo without writing anything more to the file.
void PdfOutput::Release() noexcept {
  if (sink_ != nullptr) {
    sink_->discarding = true;
  }
  if (cr_ != nullptr) {
    cairo_destroy(cr_);
    cr_ = nullptr;
  }
  if (surface_ != nullptr) {
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
  }
  sink_.reset();
}

}  // namespace kalvorden
