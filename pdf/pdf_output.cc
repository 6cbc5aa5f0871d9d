#include "pdf/pdf_output.h"

#include <cairo-pdf.h>

#include <cstdio>
#include <cstring>

#include "chart/case_chart.h"
#include "design/design_cases.h"
#include "explain/calculation_sheet.h"
#include "pdf/case_sheets.h"
#include "pdf/comparison_pages.h"
#include "pdf/method_sheet.h"
#include "pdf/sheet_flow.h"
#include "report/printed_span.h"
#include "report/report_file.h"
#include "report/report_pages.h"

namespace kalvorden {
namespace {

// The document's title names the run, its subject the project and the
// bridge, its author the designer.
DocumentMetadata MetadataOf(const OutputSettings& settings, int64_t caseCount) {
  const ProjectIdentity& project = settings.project;
  std::string subject = project.title;
  subject += !subject.empty() && !project.bridge.empty() ? ", " : "";
  subject += project.bridge;
  return {"KALVORDEN slab design, " + std::to_string(caseCount) +
              (caseCount == 1 ? " design case" : " design cases"),
          subject, project.designer, "kalvorden", IsoDate(settings.now)};
}

}  // namespace

std::unique_ptr<FileOutput> MakePdfOutput(const OutputSettings& settings) {
  return std::make_unique<PdfOutput>(settings);
}

PdfOutput::PdfOutput(const OutputSettings& settings)
    : settings_(settings),
      runStamp_(IsoDate(settings.now, ' ')),
      document_(settings.paper,
                TitleBlockFields{settings.project.title, settings.project.bridge,
                                 settings.project.revision, runStamp_, settings.project.designer,
                                 settings.project.checker}) {
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

// A failure of the disk is a write failure; any other is cairo's, and its
// line says so rather than blaming the disk.
void PdfOutput::FailWith(const DocumentFailure& failure) {
  if (this->failure().ok()) {
    Fail(DocumentFault(failure, label()));
  }
}

bool PdfOutput::CheckHealth() {
  if (!failure().ok()) {
    return false;
  }
  if (const DocumentFailure broken = document_.Failure(); broken.failed) {
    FailWith(broken);
  }
  return failure().ok();
}

int PdfOutput::BeginPending(const std::string& name, bool replace) {
  SetLabel(OutputLabel("PDF", name));
  return CreatePending(name, replace);
}

bool PdfOutput::Start(const DesignInputs& inputs) {
  if (pending().descriptor() < 0 || document_.open()) {
    FailWith("the file was not created");
    return false;
  }
  caseCount_ = DesignCaseCount(inputs);
  document_.Open(pending().descriptor(), MetadataOf(settings_, caseCount_));
  PlanSheets(inputs);

  const PaperGeometry page = document_.page();
  int64_t first = document_.nextSheet();
  SheetFlow cover(document_.cr(), page, true,
                  [&](int32_t) { document_.EndSheet("Cover sheet of the calculation package"); });
  ComposeCover(cover, {&settings_, &inputs, ProgramVersion(), runStamp_, &governing_,
                       [this](int64_t n) { return FirstSheetOfCase(n); }});
  cover.Finish();
  document_.AddBookmark(CAIRO_PDF_OUTLINE_ROOT, "Cover sheet", first);

  first = document_.nextSheet();
  SheetFlow method(document_.cr(), page, true,
                   [&](int32_t) { document_.EndSheet("Method of design"); });
  ComposeMethodSheet(method);
  method.Finish();
  document_.AddBookmark(CAIRO_PDF_OUTLINE_ROOT, "Method of design", first);

  WriteIndexSheets(document_,
                   {&inputs, caseCount_, runStamp_, comparisonSheets_, HasGoverningRow(settings_),
                    [this](int64_t n) { return FirstSheetOfCase(n); }});
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
  const int64_t first = document_.nextSheet();
  WriteComparisonPages(document_.cr(),
                       {document_.page(), document_.paper(), runStamp_,
                        [this](const std::string& subject) { document_.EndSheet(subject); }},
                       *comparison_);
  document_.AddBookmark(CAIRO_PDF_OUTLINE_ROOT, "Comparison of the design cases", first);
  comparison_.reset();  // its rows are on the sheets now
}

// Counts every part's sheets before the first is drawn, so that each sheet
// can say "Sheet n of N".
void PdfOutput::PlanSheets(const DesignInputs& inputs) {
  const PaperSize paper = document_.paper();
  std::vector<int32_t> calculationPages;
  if (HasGoverningRow(settings_)) {
    governing_.reserve(static_cast<size_t>(caseCount_));
    calculationPages.reserve(static_cast<size_t>(caseCount_));
    ForEachDesignCase(inputs, [&](const DesignCase& c) {
      const CalculationSheet sheet = WriteCalculationSheet(c, settings_.governingRow);
      governing_.push_back(GoverningResultOf(c, sheet.span, settings_.governingRow));
      calculationPages.push_back(
          static_cast<int32_t>(CalculationPageStarts(paper, CalculationLines(sheet.text)).size()));
    });
  }
  const PaperGeometry page = document_.page();
  SheetFlow cover(document_.cr(), page, false);
  ComposeCover(cover, {&settings_, &inputs, ProgramVersion(), runStamp_, &governing_, {}});
  const int32_t coverSheets = cover.Finish();
  SheetFlow method(document_.cr(), page, false);
  ComposeMethodSheet(method);
  const int32_t methodSheets = method.Finish();
  const int32_t indexSheets = IndexPageCount(paper, caseCount_);
  comparisonSheets_ = ComparisonPageCount(paper, caseCount_);

  caseStarts_.assign(1, int64_t{coverSheets} + methodSheets + indexSheets + comparisonSheets_ + 1);
  caseStarts_.reserve(static_cast<size_t>(caseCount_) + 1);
  for (int64_t n = 0; n < caseCount_; ++n) {
    const int32_t sheets = calculationPages.empty() ? 0 : calculationPages[static_cast<size_t>(n)];
    caseStarts_.push_back(caseStarts_.back() + kTableAndChartSheets + sheets);
  }
  document_.SetSheetCount(caseStarts_.back() - 1);
}

int64_t PdfOutput::FirstSheetOfCase(int64_t caseNumber) const {
  const auto at = static_cast<size_t>(caseNumber - 1);
  return at < caseStarts_.size() ? caseStarts_[at] : 0;
}

void PdfOutput::Prepare(const DesignedCase& designed, std::string& text) const {
  AppendCaseSheetPlan(PlanCaseSheets(designed), text);
}

bool PdfOutput::WritePrepared(const DesignedCase& designed, std::string_view text) {
  CaseSheetPlan plan;
  if (!ReadCaseSheetPlan(text, plan)) {
    return Write(designed);
  }
  return WriteCase(designed, plan);
}

bool PdfOutput::Write(const DesignedCase& designed) {
  return WriteCase(designed, PlanCaseSheets(designed));
}

bool PdfOutput::WriteCase(const DesignedCase& designed, const CaseSheetPlan& plan) {
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
  const int64_t firstPage = document_.nextSheet();
  const std::string values = DescribeCaseValues(designed.designCase);
  const std::string subject = CaseCaption(casesWritten_, caseCount_) + ": " + values;
  WriteCaseSheets(document_,
                  {&designed, casesWritten_, caseCount_, subject, &headings_, &settings_,
                   &chartFurniture_, &rowMarks_, &tableHeadings_},
                  plan);
  const int64_t sheetPage = document_.nextSheet();
  if (HasGoverningRow(settings_)) {
    const int32_t pages = WriteCalculationSheets(
        document_,
        {&designed.designCase, settings_.governingRow, casesWritten_, caseCount_, subject});
    const int64_t planned = caseStarts_[static_cast<size_t>(casesWritten_)] - sheetPage;
    if (pages != planned) {
      FailWith("case " + std::to_string(casesWritten_) + "'s calculation sheet took " +
               std::to_string(pages) + " pages where " + std::to_string(planned) +
               " were numbered");
      return false;
    }
  }
  const int caseOutline = document_.AddBookmark(
      CAIRO_PDF_OUTLINE_ROOT, "Case " + std::to_string(casesWritten_) + ": " + values, firstPage);
  if (HasGoverningRow(settings_)) {
    document_.AddBookmark(caseOutline,
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
  if (document_.sheetsDrawn() != document_.sheetCount()) {
    FailWith(std::to_string(document_.sheetsDrawn()) + " sheets were drawn where " +
             std::to_string(document_.sheetCount()) + " were numbered");
    Abandon();
    return false;
  }
  if (const DocumentFailure closed = document_.Close(); closed.failed) {
    FailWith(closed);
  } else if (const int failure = pending().Finish(); failure != 0) {
    FailWith(std::strerror(failure));
  }
  if (!failure().ok()) {
    Abandon();
    return false;
  }
  document_.Release();
  return true;
}

void PdfOutput::Abandon() noexcept {
  document_.Release();
  pending().Abandon();
}

}  // namespace kalvorden
