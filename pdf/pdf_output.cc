#include "pdf/pdf_output.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "chart/case_chart.h"
#include "design/design_cases.h"
#include "numeric/decimal.h"
#include "report/case_pages.h"
#include "report/report_file.h"
#include "report/report_pages.h"

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

constexpr double kA4Width = 595.276;   // 210 mm
constexpr double kA4Height = 841.89;   // 297 mm
constexpr double kLetterWidth = 612;   // 8.5 in
constexpr double kLetterHeight = 792;  // 11 in

// Page geometry in points (1/72 inch).
struct PaperGeometry {
  double width = 0;
  double height = 0;
};

PaperGeometry GeometryOf(PaperSize paper) {
  return paper == PaperSize::kLetter ? PaperGeometry{kLetterWidth, kLetterHeight}
                                     : PaperGeometry{kA4Width, kA4Height};
}

constexpr const char* kMonoFont = "DejaVu Sans Mono";
constexpr const char* kSansFont = "DejaVu Sans";

constexpr double kTopMargin = 50;
constexpr double kBottomMargin = 44;
constexpr double kSideMargin = 50;
constexpr double kCaptionBaseline = 30;

// The table font's size makes its character pitch exactly 6 pt (DejaVu Sans
// Mono advances 1233/2048 em), so `pdftotext -layout -fixed 6` gives every
// line back as the report prints it, blanks included.
constexpr double kTableCharacterPitch = 6;
constexpr double kTableFontSize = kTableCharacterPitch * 2048 / 1233;
constexpr double kTableLinePitch = 11;
// A report page has at most 66 printed lines (18 of heading, 40 rows, 7
// blank, the footer).
constexpr int kReportPageLines = 66;

// The chart page uses the paper's printable area: a margin all round that
// office printers print into, and the foot of the page, kTitleBlockBand
// high, kept free for a title block (the project, the sheet number). The
// chart's own text stays inside the rectangle it is given.
constexpr double kChartPageMargin = 36;  // half an inch
constexpr double kTitleBlockBand = 60;   // from the page's bottom edge up
constexpr double kChartCaptionSize = 12;

constexpr double kIndexFontSize = 8;
constexpr double kIndexLinePitch = 11;
constexpr double kIndexTableTop = 130;  // baseline of the first entry
constexpr int kValueColumn = 14;        // characters per value column

std::string PadRight(std::string text, size_t width) {
  text.push_back(' ');  // a value wider than its column still stands apart
  if (text.size() < width) {
    text.append(width - text.size(), ' ');
  }
  return text;
}

std::string PadLeft(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

void SelectFont(cairo_t* cr, const char* family, double size,
                cairo_font_weight_t weight = CAIRO_FONT_WEIGHT_NORMAL) {
  cairo_select_font_face(cr, family, CAIRO_FONT_SLANT_NORMAL, weight);
  cairo_set_font_size(cr, size);
}

void ShowLine(cairo_t* cr, double x, double y, const std::string& text) {
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, text.c_str());
}

// An entered value in full, however narrow the report's field for it.
std::string Full(Quad value) {
  return FullDecimal(value, FullDecimalUse::kPrinted);
}

std::string CaseCaption(int64_t caseNumber, int64_t caseCount) {
  return "Design case " + std::to_string(caseNumber) + " of " + std::to_string(caseCount);
}

// The run's date and time as the report headings print them.
std::string RunStamp(const ReportWriter& headings) {
  return std::string(View(headings.headerLine1).substr(0, 9)) + " " +
         std::string(View(headings.headerLine2).substr(1, 8));
}

// The creation date in the form cairo takes for the document information.
std::string IsoDate(const LocalDateTime& now) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", now.year % 10000,
                now.month % 100, now.day % 100, now.hour % 100, now.minute % 100, now.second % 100);
  return text;
}

}  // namespace

int32_t IndexEntriesPerPage(PaperSize paper) {
  const double room = GeometryOf(paper).height - kBottomMargin - kIndexTableTop;
  return static_cast<int32_t>(room / kIndexLinePitch) + 1;
}

int32_t IndexPageCount(PaperSize paper, int64_t caseCount) {
  const int64_t perPage = IndexEntriesPerPage(paper);
  return static_cast<int32_t>(std::max<int64_t>(1, (caseCount + perPage - 1) / perPage));
}

namespace {

// Each case takes its three table pages and a chart page.
constexpr int32_t kPdfPagesPerCase = 4;

// The 1-based PDF page on which case `caseNumber` (1-based) begins. Known
// before any case is designed, which is what lets the index come first.
int64_t FirstPageOfCase(PaperSize paper, int64_t caseCount, int64_t caseNumber) {
  return IndexPageCount(paper, caseCount) + (caseNumber - 1) * kPdfPagesPerCase + 1;
}

}  // namespace

std::unique_ptr<CaseOutput> MakePdfOutput(const OutputSettings& settings) {
  return std::make_unique<PdfOutput>(settings.paper, settings.now);
}

PdfOutput::PdfOutput(PaperSize paper, const LocalDateTime& now)
    : paper_(paper), creationDate_(IsoDate(now)) {
  StampHeaderLines(headings_, now);
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
  sink_ = std::make_unique<Sink>();
  sink_->descriptor = pending().descriptor();
  sink_->buffer = std::make_unique<char[]>(Sink::kBufferSize);
  caseCount_ = DesignCaseCount(inputs);

  const PaperGeometry page = GeometryOf(paper_);
  surface_ = cairo_pdf_surface_create_for_stream(WriteToSink, sink_.get(), page.width, page.height);
  cr_ = cairo_create(surface_);
  const std::string title = "KALVORDEN slab design, " + std::to_string(caseCount_) +
                            (caseCount_ == 1 ? " design case" : " design cases");
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "kalvorden");
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATE_DATE, creationDate_.c_str());
  WriteIndex(inputs);
  return CheckHealth();
}

void PdfOutput::WriteIndex(const DesignInputs& inputs) {
  const int32_t perPage = IndexEntriesPerPage(paper_);
  const int32_t pages = IndexPageCount(paper_, caseCount_);
  const std::string heading1 = PadRight("Case", 6) + PadRight("Wheel load", kValueColumn) +
                               PadRight("Top cover", kValueColumn) +
                               PadRight("Paving", kValueColumn) + PadRight("fs", kValueColumn) +
                               PadRight("fc", kValueColumn) + PadRight("n", 4) + PadRight("CF", 5) +
                               " Page";
  const std::string heading2 = PadRight("", 6) + PadRight("(kN)", kValueColumn) +
                               PadRight("(mm)", kValueColumn) + PadRight("(kN/m^2)", kValueColumn) +
                               PadRight("(MPa)", kValueColumn) + PadRight("(MPa)", kValueColumn);
  int64_t caseNumber = 0;
  int32_t indexPage = 0;
  auto startPage = [&]() {
    ++indexPage;
    cairo_set_source_rgb(cr_, 0, 0, 0);
    SelectFont(cr_, kSansFont, 13, CAIRO_FONT_WEIGHT_BOLD);
    ShowLine(cr_, kSideMargin, kTopMargin + 6,
             "Service load design of bridge slab (metric): design cases");
    SelectFont(cr_, kSansFont, 9);
    ShowLine(cr_, kSideMargin, kTopMargin + 24,
             "Run of " + RunStamp(headings_) + ", " + std::to_string(caseCount_) +
                 " design cases, 4 pages each (3 tables and a chart). Index page " +
                 std::to_string(indexPage) + " of " + std::to_string(pages) + ".");
    SelectFont(cr_, kMonoFont, kIndexFontSize);
    ShowLine(cr_, kSideMargin, kIndexTableTop - 2.4 * kIndexLinePitch, heading1);
    ShowLine(cr_, kSideMargin, kIndexTableTop - 1.4 * kIndexLinePitch, heading2);
  };
  auto endPage = [&]() {
    cairo_show_page(cr_);
    ++pagesWritten_;
  };
  if (caseCount_ == 0) {
    startPage();
    ShowLine(cr_, kSideMargin, kIndexTableTop, "The run has no design case.");
    endPage();
    return;
  }
  ForEachDesignCase(inputs, [&](const DesignCase& c) {
    const int32_t line = static_cast<int32_t>(caseNumber % perPage);
    ++caseNumber;
    if (line == 0) {
      startPage();
    }
    const int64_t first = FirstPageOfCase(paper_, caseCount_, caseNumber);
    const std::string entry =
        PadRight(std::to_string(caseNumber), 6) + PadRight(Full(c.wheelLoad), kValueColumn) +
        PadRight(Full(c.topCover), kValueColumn) + PadRight(Full(c.futurePaving), kValueColumn) +
        PadRight(Full(c.steelStress), kValueColumn) +
        PadRight(Full(c.concreteStress), kValueColumn) +
        PadRight(std::to_string(c.modularRatio), 4) +
        PadRight(c.continuityFactor == 1 ? "1.0" : "0.8", 5) + PadLeft(std::to_string(first), 5);
    // No link from the entry to its page: cairo 1.16 writes a link to a page
    // not yet drawn as a reference to an object it never emits (a damaged
    // file). The bookmarks, made once their pages exist, lead there instead.
    ShowLine(cr_, kSideMargin, kIndexTableTop + line * kIndexLinePitch, entry);
    if (line == perPage - 1 || caseNumber == caseCount_) {
      endPage();
    }
  });
}

void PdfOutput::WriteTablePage(const std::vector<std::string>& lines, int64_t caseNumber) {
  const PaperGeometry page = GeometryOf(paper_);
  cairo_set_source_rgb(cr_, 0.35, 0.35, 0.35);
  SelectFont(cr_, kSansFont, 8);
  ShowLine(cr_, kSideMargin, kCaptionBaseline, CaseCaption(caseNumber, caseCount_));

  cairo_set_source_rgb(cr_, 0, 0, 0);
  SelectFont(cr_, kMonoFont, kTableFontSize);
  // The report's lines are 70 characters at most (11 blanks and the 59 of
  // the forms); the block is centred on the page.
  const double left = (page.width - 70 * kTableCharacterPitch) / 2;
  const double pitch =
      std::min(kTableLinePitch, (page.height - kTopMargin - kBottomMargin) / kReportPageLines);
  // The whole page goes to cairo as one run of glyphs, each character at its
  // cell of the monospaced grid and the blanks left out: many times faster
  // than a call per line, and the same page. (Readers take the blanks from
  // the gaps, as they do for any PDF text.)
  if (!tableGlyphsKnown_) {
    LearnTableGlyphs();
  }
  pageGlyphs_.clear();
  double baseline = kTopMargin;
  for (const std::string& line : lines) {
    for (size_t column = 0; column < line.size(); ++column) {
      const auto code = static_cast<unsigned char>(line[column]);
      if (code != ' ') {
        const unsigned long glyph = code < tableGlyphs_.size() ? tableGlyphs_[code] : 0;
        pageGlyphs_.push_back(
            {glyph, left + static_cast<double>(column) * kTableCharacterPitch, baseline});
      }
    }
    baseline += pitch;
  }
  cairo_show_glyphs(cr_, pageGlyphs_.data(), static_cast<int>(pageGlyphs_.size()));
  cairo_show_page(cr_);
  ++pagesWritten_;
}

// The glyph of every printable ASCII character in the table font (the
// report's lines hold nothing else); anything else shows as the font's
// missing-glyph box.
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

void PdfOutput::WriteChartPage(const DesignedCase& designed, int64_t caseNumber) {
  const PaperGeometry page = GeometryOf(paper_);
  cairo_set_source_rgb(cr_, 0, 0, 0);
  SelectFont(cr_, kSansFont, kChartCaptionSize, CAIRO_FONT_WEIGHT_BOLD);
  // The caption's capitals (about 0.73 em high) start at the margin.
  const double captionBaseline = kChartPageMargin + kChartCaptionSize * 0.75;
  ShowLine(cr_, kChartPageMargin, captionBaseline,
           CaseCaption(caseNumber, caseCount_) + ": slab thickness and main bar spacing");
  const double chartTop = captionBaseline + kChartCaptionSize;
  const double chartWidth = page.width - 2 * kChartPageMargin;
  const double chartHeight = page.height - kTitleBlockBand - chartTop;
  cairo_save(cr_);
  cairo_translate(cr_, kChartPageMargin, chartTop);
  DrawCaseChart(cr_, designed, chartWidth, chartHeight);
  cairo_restore(cr_);
  cairo_show_page(cr_);
  ++pagesWritten_;
}

bool PdfOutput::Write(const DesignedCase& designed) {
  if (!CheckHealth()) {
    return false;
  }
  ++casesWritten_;
  const int64_t firstPage = pagesWritten_ + 1;
  CasePages pages;
  const int32_t spanCount = std::clamp(designed.sweep.spanCount, 0, kSpansPerCase);
  FormatCasePages(headings_, designed.designCase, std::span(designed.spans, spanCount), pages);
  for (const std::vector<std::string>& lines : pages.pages) {
    WriteTablePage(lines, casesWritten_);
  }
  WriteChartPage(designed, casesWritten_);
  const std::string bookmark =
      "Case " + std::to_string(casesWritten_) + ": " + DescribeCaseValues(designed.designCase);
  const std::string link = "page=" + std::to_string(firstPage);
  cairo_pdf_surface_add_outline(surface_, CAIRO_PDF_OUTLINE_ROOT, bookmark.c_str(), link.c_str(),
                                CAIRO_PDF_OUTLINE_FLAG_OPEN);
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
