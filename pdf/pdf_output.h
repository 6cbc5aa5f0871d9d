#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chart/case_chart.h"
#include "comparison/case_comparison.h"
#include "design/case_pipeline.h"
#include "design/design_inputs.h"
#include "output/file_output.h"
#include "output/output_settings.h"
#include "pdf/calculation_sheets.h"
#include "pdf/case_sheets.h"
#include "pdf/cover_sheet.h"
#include "pdf/index_sheets.h"
#include "pdf/pdf_document.h"
#include "pdf/row_marks.h"
#include "report/report_writer.h"

namespace kalvorden {

// A PDF output, for the output factory (run/output_factory.h).
std::unique_ptr<FileOutput> MakePdfOutput(const OutputSettings& settings);

// The print-ready PDF of a run, as a calculation package an office files: a
// cover sheet (the project, the run, every value, the governing rows, the
// sign-off), the method sheet, an index of the design cases, for two or
// more cases their comparison by reinforcing steel (pdf/comparison_pages.h),
// then for each case the report's three pages and a chart page
// (pdf/case_sheets.h) and, when the bridge's span is given, the calculation
// sheet of its governing row (pdf/calculation_sheets.h). Every sheet has a
// title block with "Sheet n of N", n its page number; a bookmark leads to
// each part and each case.
//
// This class keeps the order of the sheets; each kind draws its own, on the
// document (pdf/pdf_document.h). Pages are streamed to the file as they are
// finished, so memory stays flat however many cases the run has. Every
// part's sheet count is known before the first sheet is drawn: the cover
// and the method sheet are laid out once without drawing, the index by its
// entries per sheet, the comparison by the number of cases, a case's table
// and chart sheets are four, and each calculation sheet is written once in
// Start to count its lines (kept as one small record per case) and again
// when its case is drawn. The file is written under a temporary name in the
// target's directory and renamed over the target only by Commit.
class PdfOutput final : public FileOutput {
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
  // A case's plan (pdf/case_sheets.h) is worked out on the thread that
  // designed it, and drawn by WritePrepared.
  bool preparesCases() const override { return true; }
  void Prepare(const DesignedCase& designed, std::string& text) const override;
  bool WritePrepared(const DesignedCase& designed, std::string_view text) override;
  bool Finish() override;
  void Abandon() noexcept override;
  int64_t pageCount() const override { return document_.sheetsDrawn(); }

  // The comparison of the cases needs all of them before the first case's
  // sheets: a survey of the run gives them, one small row each.
  bool wantsSurvey() const override { return comparison_ != nullptr; }
  void Survey(const DesignedCase& designed) override;

 private:
  bool CheckHealth();
  void FailWith(const std::string& detail);
  void FailWith(const DocumentFailure& failure);
  void PlanSheets(const DesignInputs& inputs);
  void WriteComparison();
  bool WriteCase(const DesignedCase& designed, const CaseSheetPlan& plan);
  int64_t FirstSheetOfCase(int64_t caseNumber) const;

  OutputSettings settings_;
  ReportWriter headings_;
  std::string runStamp_;
  PdfDocument document_;
  int32_t comparisonSheets_ = 0;
  // The first sheet of case n at [n - 1], and one past the last case's
  // sheets at the end.
  std::vector<int64_t> caseStarts_;
  // With a governing row: its result in every case, for the cover.
  std::vector<GoverningResult> governing_;
  int64_t caseCount_ = 0;
  int64_t casesWritten_ = 0;
  std::unique_ptr<CaseComparison> comparison_;  // runs of two or more cases
  bool comparisonWritten_ = false;
  CaseChartFurniture chartFurniture_;  // the charts' fixed parts, drawn once
  RowMarks rowMarks_;                  // the table sheets' crosses, a run drawn once
  TableHeadings tableHeadings_;        // the lines every case's table sheets share
};

}  // namespace kalvorden
