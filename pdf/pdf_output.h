#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "comparison/case_comparison.h"
#include "design/case_pipeline.h"
#include "design/design_inputs.h"
#include "output/case_output.h"
#include "pdf/cover_sheet.h"
#include "pdf/title_block.h"
#include "report/local_date_time.h"
#include "report/report_writer.h"
#include "run/output_factory.h"
#include "run/paper_size.h"

namespace kalvorden {

// Index entries per index page for a paper size, and the pages the index
// takes for `caseCount` cases (at least one, which says when there is none).
int32_t IndexEntriesPerPage(PaperSize paper);
int32_t IndexPageCount(PaperSize paper, int64_t caseCount);

// Lines of a calculation sheet per page, and the pages a sheet of
// `lineCount` lines takes (at least one).
int32_t CalculationLinesPerPage(PaperSize paper);
int32_t CalculationPageCount(PaperSize paper, int64_t lineCount);

// A PDF output, for the output factory (run/output_factory.h).
std::unique_ptr<CaseOutput> MakePdfOutput(const OutputSettings& settings);

// The print-ready PDF of a run, as a calculation package an office files: a
// cover sheet (the project, the run, every value, the governing rows, the
// sign-off), the method sheet, an index of the design cases, for two or
// more cases their comparison by reinforcing steel (pdf/comparison_pages.h),
// then for each case the report's three pages (same headings and rows, monospaced,
// selectable text; the governing row marked), a chart page and, when the
// bridge's span is given, the calculation sheet of its governing row. Every
// sheet has a title block with "Sheet n of N", n its page number; a bookmark
// leads to each part and each case.
//
// Pages are streamed to the file as they are finished, so memory stays flat
// however many cases the run has. Every part's page count is known before
// the first page is drawn: the cover and the method sheet are laid out once
// without drawing, the index by its entries per page, the comparison by the
// number of cases, a case's table and
// chart pages are four, and each calculation sheet is written once in Start
// to count its lines (kept as one small record per case) and again when its
// case is drawn. The file is written under a temporary name in the target's
// directory and renamed over the target only by Commit.
class PdfOutput final : public CaseOutput {
 public:
  // The table pages' headings and the document's creation date carry
  // `settings.now`, the run's one clock reading; the cover and the title
  // blocks the project, the span and the digest of `settings`.
  explicit PdfOutput(const OutputSettings& settings);
  ~PdfOutput() override;

  // Creates the temporary file beside `name`, to be renamed over an
  // existing file only when `replace`. Returns 0 or the errno of the failed
  // creation (a PDF never goes to standard output).
  int BeginPending(const std::string& name, bool replace) override;

  // Writes the cover, the method sheet and the index of the cases `inputs`
  // makes, which must be the cases then written, in order. Returns false as
  // Write does.
  bool Start(const DesignInputs& inputs) override;

  bool Write(const DesignedCase& designed) override;
  bool Finish() override;
  void Abandon() noexcept override;
  int64_t pageCount() const override { return pagesWritten_; }

  // The comparison of the cases needs all of them before the first case's
  // sheets: a survey of the run gives them, one small row each.
  bool wantsSurvey() const override { return comparison_ != nullptr; }
  void Survey(const DesignedCase& designed) override;

  // The buffered writer between cairo and the temporary file.
  struct Sink;

 private:
  bool CheckHealth();
  void FailWith(const std::string& detail);
  void SetMetadata();
  void PlanSheets(const DesignInputs& inputs);
  void WriteCover(const DesignInputs& inputs);
  void WriteMethod();
  void WriteIndex(const DesignInputs& inputs);
  void ShowNoteLine(double baseline, const std::string& text);
  void WriteComparison();
  void WriteTablePage(const std::vector<std::string>& lines, int64_t caseNumber,
                      const std::string& subject, int64_t markedLine);
  void WriteChartPage(const DesignedCase& designed, int64_t caseNumber, const std::string& subject);
  bool WriteCalculationPages(const DesignedCase& designed, const std::string& subject);
  void ShowMonospacedLines(const std::vector<std::string>& lines, double left, double top,
                           double characterPitch, double linePitch);
  void EndSheet(const std::string& subject);
  void AddBookmark(int parent, const std::string& title, int64_t page);
  int64_t FirstSheetOfCase(int64_t caseNumber) const;
  void LearnTableGlyphs();
  void Release() noexcept;

  PaperSize paper_;
  OutputSettings settings_;
  ReportWriter headings_;
  std::string creationDate_;
  std::string runStamp_;
  std::unique_ptr<TitleBlockPainter> titleBlock_;
  std::string subject_;  // of the sheets being drawn
  // The sheets of the index and of the whole package, counted in Start
  // before any is drawn.
  int32_t indexSheets_ = 0;
  int32_t comparisonSheets_ = 0;
  int64_t sheetCount_ = 0;
  // The first sheet of case n at [n - 1], and one past the last case's
  // sheets at the end.
  std::vector<int64_t> caseStarts_;
  // With a governing row: its result in every case, for the cover.
  std::vector<GoverningResult> governing_;
  int64_t caseCount_ = 0;
  int64_t casesWritten_ = 0;
  int64_t pagesWritten_ = 0;
  std::unique_ptr<Sink> sink_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::array<unsigned long, 128> tableGlyphs_{};
  bool tableGlyphsKnown_ = false;
  std::vector<cairo_glyph_t> pageGlyphs_;       // reused page after page
  std::unique_ptr<CaseComparison> comparison_;  // runs of two or more cases
  bool comparisonWritten_ = false;
};

}  // namespace kalvorden
